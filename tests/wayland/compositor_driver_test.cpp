// Which driver a Wayland desktop gets, and the read-only one at work.
#include "platform/screen/compositor/compositor_driver.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <vector>

#include "platform/screen/devmode.h"
#include "platform/screen/wayland/readonly_driver.h"
#include "tests/wayland/compositor.h"

namespace {

using screen::CompositorDriverKind;
using screen::DisplayMode;

void Pump(screen::EventScreenDriver& driver, int timeout_ms = 3000) {
    pollfd fd{driver.ConnectionFd(), POLLIN, 0};
    poll(&fd, 1, timeout_ms);
    driver.ProcessPendingEvents();
}

TEST(CompositorDriver, SwayGetsOutputManagement) {
    if (!wltest::SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;
    CompositorDriverKind kind{};
    auto driver = screen::OpenCompositorScreenDriver(sway->WaylandSocketPath(), {}, &error, &kind);
    ASSERT_TRUE(driver) << error;
    EXPECT_EQ(kind, CompositorDriverKind::kWlroots);
    EXPECT_EQ(driver->Current(), (DisplayMode{1280, 720, 60, 32}));
}

// The read-only driver reads any compositor's outputs, sway's too, and
// rounds a fractional rate.
TEST(CompositorDriver, TheReadOnlyDriverRoundsAFractionalRate) {
    if (!wltest::SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-1", "mode", "800x600@59.940Hz"}).status, 0);
    screen::WaylandReadOnlyScreenDriver driver;
    ASSERT_TRUE(driver.Open(sway->WaylandSocketPath(), "HEADLESS-1", &error)) << error;
    EXPECT_EQ(driver.Current(), (DisplayMode{800, 600, 60, 32}));
}

TEST(CompositorDriver, MutterGetsDisplayConfigOnItsBusAndElseOnlyReads) {
    if (!wltest::MutterCompositor::Installed()) GTEST_SKIP() << "mutter is not installed";
    std::string error;
    auto mutter = wltest::MutterCompositor::Start(&error);
    ASSERT_TRUE(mutter) << error;
    CompositorDriverKind kind{};
    auto gnome = screen::OpenCompositorScreenDriver(mutter->WaylandSocketPath(), {}, &error, &kind,
                                                    mutter->BusAddress());
    ASSERT_TRUE(gnome) << error;
    EXPECT_EQ(kind, CompositorDriverKind::kGnome);

    // Without the session bus, mutter is just another compositor.
    auto driver = screen::OpenCompositorScreenDriver(mutter->WaylandSocketPath(), {}, &error, &kind,
                                                     "unix:path=/nonexistent/bus");
    ASSERT_TRUE(driver) << error;
    EXPECT_EQ(kind, CompositorDriverKind::kReadOnly);
    std::vector<DisplayMode> heard;
    driver->SetChangeListener([&](const DisplayMode& mode) { heard.push_back(mode); });
    EXPECT_EQ(driver->Current(), (DisplayMode{1024, 768, 60, 32}));
    EXPECT_EQ(driver->TestMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver->SetMode({1280, 1024, 60, 32}), DISP_CHANGE_FAILED);
    EXPECT_EQ(driver->Current(), (DisplayMode{1024, 768, 60, 32}));

    // It still follows a change made elsewhere.
    ASSERT_EQ(gnome->SetMode({1280, 1024, 60, 32}), DISP_CHANGE_SUCCESSFUL);
    for (int i = 0; i < 5 && heard.empty(); ++i) Pump(*driver, 1000);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], (DisplayMode{1280, 1024, 60, 32}));

    mutter->Kill();
    for (int i = 0; i < 5 && !driver->ServerGone(); ++i) Pump(*driver, 1000);
    EXPECT_TRUE(driver->ServerGone());
    EXPECT_EQ(driver->Current(), (DisplayMode{1280, 1024, 60, 32}));
}

TEST(CompositorDriver, NoCompositorNoDriver) {
    std::string error;
    EXPECT_FALSE(screen::OpenCompositorScreenDriver("/nonexistent/wayland-0", {}, &error, nullptr,
                                                    "unix:path=/nonexistent/bus"));
    EXPECT_FALSE(error.empty());
}

}  // namespace
