// corvane-adjust --list-monitors on Wayland desktops with two monitors: sway's
// headless backend and mutter nested with two dummy monitors; their outputs,
// modes and what the compositor reports in place of EDID.
#include <gtest/gtest.h>

#include "tests/wayland/compositor.h"

namespace {

TEST(SwayMonitors, ListShowsEveryOutputWithItsModeAndNoEdid) {
    if (!wltest::SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;
    ASSERT_EQ(sway->CreateOutput(&error), "HEADLESS-2") << error;
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "mode", "1024x768@60Hz"}).status, 0);
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-2", "mode", "800x600@75Hz", "position", "1024", "0"}).status,
              0);
    const std::string program = sway->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
    ASSERT_FALSE(program.empty()) << error;

    const wltest::RunResult json = sway->Run({program, "--list-monitors", "--json"}, {{"DISPLAY", ""}});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.err, "");
    // Headless outputs have no DRM connector, so no EDID; the first stands for the primary.
    EXPECT_EQ(json.out,
              "[\n"
              R"(  {"name":"HEADLESS-1","connector":"unknown","primary":true,)"
              R"("current":{"width":1024,"height":768,"refresh":60},"edid":null,"edid_error":"no EDID"},)"
              "\n"
              R"(  {"name":"HEADLESS-2","connector":"unknown","primary":false,)"
              R"("current":{"width":800,"height":600,"refresh":75},"edid":null,"edid_error":"no EDID"})"
              "\n]\n");

    const wltest::RunResult text = sway->Run({program, "--list-monitors"}, {{"DISPLAY", ""}});
    ASSERT_EQ(text.status, 0) << text.err;
    // The text form adds what the compositor reports in place of EDID.
    EXPECT_EQ(text.out,
              "HEADLESS-1 (primary)\n  connector:    unknown\n  current mode: 1024x768 at 60 Hz\n"
              "  EDID:         none (no EDID)\n  make:         headless\n  model:        headless\n\n"
              "HEADLESS-2\n  connector:    unknown\n  current mode: 800x600 at 75 Hz\n"
              "  EDID:         none (no EDID)\n  make:         headless\n  model:        headless\n");
}

TEST(SwayMonitors, UnknownNameGivesStatus2AndTheList) {
    if (!wltest::SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;
    ASSERT_EQ(sway->CreateOutput(&error), "HEADLESS-2") << error;
    const std::string program = sway->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
    ASSERT_FALSE(program.empty()) << error;

    const wltest::RunResult run = sway->Run({program, "--monitor", "HEADLESS-9"}, {{"DISPLAY", ""}});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find("corvane-adjust: there is no monitor named \"HEADLESS-9\"; the monitors are:\n"
                           "HEADLESS-1 (primary)\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("\n\nHEADLESS-2\n"), std::string::npos) << run.err;
}

// mutter names its monitors and its primary on DisplayConfig only.
TEST(MutterMonitors, ListShowsBothDummyMonitorsFromDisplayConfig) {
    if (!wltest::MutterCompositor::Installed()) GTEST_SKIP() << "mutter is not installed";
    std::string error;
    auto mutter = wltest::MutterCompositor::Start(&error, 2);
    ASSERT_TRUE(mutter) << error;
    const std::string program = mutter->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
    ASSERT_FALSE(program.empty()) << error;

    const wltest::RunResult json = mutter->Run({program, "--list-monitors", "--json"}, {{"DISPLAY", ""}});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              "[\n"
              R"(  {"name":"LVDS1","connector":"eDP/LVDS","primary":true,)"
              R"("current":{"width":1024,"height":768,"refresh":60},"edid":null,"edid_error":"no EDID"},)"
              "\n"
              R"(  {"name":"LVDS2","connector":"eDP/LVDS","primary":false,)"
              R"("current":{"width":1024,"height":768,"refresh":60},"edid":null,"edid_error":"no EDID"})"
              "\n]\n");

    const wltest::RunResult text = mutter->Run({program, "--list-monitors"}, {{"DISPLAY", ""}});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\n\nLVDS2\n  connector:    eDP/LVDS\n  current mode: 1024x768 at 60 Hz\n"
                            "  EDID:         none (no EDID)\n  make:         MetaProducts Inc.\n"
                            "  model:        MetaMonitor\n  serial:       0xC0FFEE-2\n"),
              std::string::npos)
        << text.out;
}

}  // namespace
