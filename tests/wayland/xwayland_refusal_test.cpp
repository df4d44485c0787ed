// The X11 driver on XWayland: the compositor owns the monitor, so no mode
// is ever changed through XWayland's RandR, though it lists modes.
#include <gtest/gtest.h>

#include <string>

#include "platform/screen/devmode.h"
#include "platform/screen/xrandr/xrandr_driver.h"
#include "tests/wayland/compositor.h"

namespace {

TEST(XwaylandRefusal, TestsAndChangesFailAndTheOutputKeepsItsMode) {
    if (!wltest::SwayCompositor::Installed() || !xtest::ProgramInstalled("Xwayland"))
        GTEST_SKIP() << "no Xwayland";
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error, {.xwayland = true});
    ASSERT_TRUE(sway) << error;
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "mode", "1280x1024@60Hz"}).status, 0);
    const std::string display = sway->XwaylandDisplay();
    // XWayland admits only the compositor's user: the driver runs as that user.
    const int outcome = wltest::RunAsUser(sway->User(), [&] {
        screen::XrandrScreenDriver driver;
        if (!driver.Open(display)) return 1;
        if (driver.Current().width != 1280) return 2;
        // 1024x768 is among XWayland's listed modes (at 59.92 Hz).
        if (driver.TestMode({1024, 768, 60, 32}) != DISP_CHANGE_FAILED) return 3;
        if (driver.SetMode({1024, 768, 60, 32}) != DISP_CHANGE_FAILED) return 4;
        return 0;
    });
    EXPECT_EQ(outcome, 0) << "1: no connection, 2: wrong mode read, 3: test passed, 4: change made";
    const std::string outputs = sway->Swaymsg({"-t", "get_outputs", "-r"}).out;
    EXPECT_NE(outputs.find("\"current_mode\": {\n      \"width\": 1280,\n      \"height\": 1024"),
              std::string::npos)
        << outputs;
}

}  // namespace
