#include "tests/wayland/compositor.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace wltest {
namespace {

bool ProcessGone(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(SwayHarness, RunsAsTheTestUserAndCleansUp) {
    if (!SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;
    const pid_t pid = sway->Pid();
    const std::string dir = sway->RuntimeDir();

    struct stat info {};
    ASSERT_EQ(stat(dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, sway->User().uid);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::is_socket(sway->WaylandSocketPath()));

    const RunResult id = sway->Run({"id", "-u"});
    EXPECT_EQ(id.status, 0);
    EXPECT_EQ(id.out, std::to_string(sway->User().uid) + "\n");
    if (geteuid() == 0) {
        EXPECT_NE(sway->User().uid, 0u);
    }

    const RunResult env =
        sway->Run({"sh", "-c", "echo $WAYLAND_DISPLAY $XDG_RUNTIME_DIR; echo oops >&2; exit 3"});
    EXPECT_EQ(env.status, 3);
    EXPECT_EQ(env.out, sway->WaylandDisplay() + " " + dir + "\n");
    EXPECT_EQ(env.err, "oops\n");

    const RunResult outputs = sway->Swaymsg({"-t", "get_outputs"});
    EXPECT_EQ(outputs.status, 0);
    EXPECT_NE(outputs.out.find("HEADLESS-1"), std::string::npos) << outputs.out;
    EXPECT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "mode", "800x600@60Hz"}).status, 0);
    const RunResult after = sway->Swaymsg({"-t", "get_outputs"});
    EXPECT_NE(after.out.find("\"width\": 800,"), std::string::npos) << after.out;
    const std::string added = sway->CreateOutput(&error);
    EXPECT_EQ(added, "HEADLESS-2") << error;

    sway.reset();
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(SwayHarness, ClientsAreStoppedAndTimedOut) {
    if (!SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;

    const RunResult slow = sway->Run({"sleep", "30"}, {}, 200);
    EXPECT_TRUE(slow.timed_out);
    EXPECT_EQ(slow.status, -1);

    auto client = sway->Launch({"sh", "-c", "sleep 30 & sleep 30"}, {}, &error);
    ASSERT_TRUE(client) << error;
    const pid_t pid = client->Pid();
    EXPECT_TRUE(client->Running());
    client.reset();
    EXPECT_TRUE(ProcessGone(pid));

    // The compositor dies as a crash would; the harness notices.
    sway->Kill();
    EXPECT_FALSE(sway->Running());
}

TEST(SwayHarness, OffersXwayland) {
    if (!SwayCompositor::Installed() || !xtest::ProgramInstalled("Xwayland")) GTEST_SKIP() << "no Xwayland";
    std::string error;
    auto sway = SwayCompositor::Start(&error, {.xwayland = true});
    ASSERT_TRUE(sway) << error;
    ASSERT_FALSE(sway->XwaylandDisplay().empty());
    const RunResult xrandr = sway->Run({"xrandr", "--query"}, {{"DISPLAY", sway->XwaylandDisplay()}});
    EXPECT_EQ(xrandr.status, 0) << xrandr.err;
    EXPECT_NE(xrandr.out.find("XWAYLAND"), std::string::npos) << xrandr.out;
}

TEST(MutterHarness, AnswersOnItsSessionBus) {
    if (!MutterCompositor::Installed()) GTEST_SKIP() << "mutter is not installed";
    std::string error;
    auto mutter = MutterCompositor::Start(&error);
    ASSERT_TRUE(mutter) << error;
    const pid_t pid = mutter->Pid();
    EXPECT_TRUE(std::filesystem::is_socket(mutter->WaylandSocketPath()));
    EXPECT_FALSE(mutter->Xvfb().DisplayName().empty());

    const RunResult state = mutter->CallDisplayConfig("GetCurrentState");
    ASSERT_EQ(state.status, 0) << state.err;
    EXPECT_NE(state.out.find("'1280x1024@60.000', 1280, 1024"), std::string::npos) << state.out;

    // Clients of the session see its bus and no X display.
    const RunResult env = mutter->Run({"sh", "-c", "echo \"$DBUS_SESSION_BUS_ADDRESS|$DISPLAY\""});
    EXPECT_EQ(env.out, mutter->BusAddress() + "|\n");

    mutter.reset();
    EXPECT_TRUE(ProcessGone(pid));
}

}  // namespace
}  // namespace wltest
