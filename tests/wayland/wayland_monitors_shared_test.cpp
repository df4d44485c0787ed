// The monitors read over a connection the program keeps: the same list as
// over a connection of their own, nothing of the connection's other objects
// dispatched meanwhile, and the connection still sound after the outputs
// change.
#include <gtest/gtest.h>
#include <wayland-client.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/screen/wayland/wayland_monitors.h"
#include "tests/wayland/compositor.h"

namespace {

struct Globals {
    int seen = 0;
};

TEST(WaylandMonitorsShared, ReadOverAKeptConnectionLeavesItsOtherObjectsAlone) {
    if (!wltest::SwayCompositor::Installed()) GTEST_SKIP() << "sway is not installed";
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error);
    ASSERT_TRUE(sway) << error;
    ASSERT_EQ(sway->CreateOutput(&error), "HEADLESS-2") << error;
    ASSERT_EQ(
        sway->Swaymsg({"output", "HEADLESS-2", "mode", "800x600@74.985Hz", "position", "1920", "0"}).status,
        0);

    std::vector<screen::Monitor> own;
    ASSERT_TRUE(screen::wayland::ReadMonitors(sway->WaylandSocketPath(), &own, &error)) << error;

    wl_display* display = wl_display_connect(sway->WaylandSocketPath().c_str());
    ASSERT_NE(display, nullptr);
    // The connection's own registry, on its default queue: its globals come
    // while the monitors are read, and must wait for the connection's owner.
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {[](void* data, wl_registry*, uint32_t, const char*,
                                                     uint32_t) { ++static_cast<Globals*>(data)->seen; },
                                                  [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &globals);

    std::vector<screen::Monitor> shared;
    ASSERT_TRUE(screen::wayland::ReadMonitors(display, &shared, &error)) << error;
    EXPECT_EQ(globals.seen, 0);
    ASSERT_EQ(shared.size(), own.size());
    ASSERT_EQ(shared.size(), 2u);
    for (std::size_t i = 0; i < shared.size(); ++i) {
        EXPECT_EQ(shared[i].name, own[i].name) << i;
        EXPECT_EQ(shared[i].primary, own[i].primary) << i;
        EXPECT_EQ(shared[i].current.width, own[i].current.width) << i;
        EXPECT_EQ(shared[i].current.refresh, own[i].current.refresh) << i;
    }
    EXPECT_EQ(shared[1].name, "HEADLESS-2");
    EXPECT_EQ(shared[1].current.width, 800);
    EXPECT_EQ(shared[1].current.refresh, 75) << "74.985 Hz rounds to 75";

    // The owner's events were kept for it.
    ASSERT_GE(wl_display_dispatch_pending(display), 0);
    EXPECT_GT(globals.seen, 0);
    // Outputs that change and are switched off after the read leave the
    // connection sound.
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-2", "mode", "1024x768@60Hz"}).status, 0);
    ASSERT_EQ(sway->Swaymsg({"output", "HEADLESS-2", "disable"}).status, 0);
    EXPECT_GE(wl_display_roundtrip(display), 0);
    EXPECT_EQ(wl_display_get_error(display), 0);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);

    EXPECT_FALSE(screen::wayland::ReadMonitors(static_cast<wl_display*>(nullptr), &shared, &error));
}

}  // namespace
