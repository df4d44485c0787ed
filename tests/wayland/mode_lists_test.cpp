// Choosing a compositor mode, checked against mode lists as real compositors
// report them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/screen/compositor_modes.h"
#include "platform/screen/gnome/mutter_state.h"
#include "platform/screen/wlr/wlr_modes.h"

namespace {

using screen::ChooseMode;
using screen::CompositorMode;
using screen::DisplayMode;
using screen::ModeChoice;

// mutter with MUTTER_DEBUG_DUMMY_MODE_SPECS="1024x768:1280x1024:800x600",
// as GetCurrentState lists them (60.000 Hz each; 1024x768 current and
// preferred).
const std::vector<CompositorMode> kMutterDummy = {
    {800, 600, 60000, false, false},
    {1280, 1024, 60000, false, false},
    {1024, 768, 60000, true, true},
};

// A flat panel as wlroots lists it from its EDID: several rates per size,
// with the NTSC-style 59.94 Hz beside 60 Hz.
const std::vector<CompositorMode> kPanel = {
    {1920, 1080, 60000, true, true},   {1920, 1080, 59940, false, false}, {1920, 1080, 50000, false, false},
    {1280, 1024, 75025, false, false}, {1280, 1024, 60020, false, false}, {1024, 768, 70069, false, false},
    {1024, 768, 60004, false, false},  {800, 600, 56250, false, false},
};

int ListedIndex(const std::vector<CompositorMode>& modes, const DisplayMode& request) {
    const ModeChoice choice = ChooseMode(modes, request);
    return choice.kind == ModeChoice::kListed ? static_cast<int>(choice.index) : -1;
}

TEST(ChooseMode, SizeAndRoundedRefreshPickAListedMode) {
    EXPECT_EQ(ListedIndex(kMutterDummy, {1280, 1024, 60, 32}), 1);
    EXPECT_EQ(ListedIndex(kMutterDummy, {800, 600, 60, 32}), 0);
    EXPECT_EQ(ListedIndex(kPanel, {1280, 1024, 75, 32}), 3);
    EXPECT_EQ(ListedIndex(kPanel, {1280, 1024, 60, 32}), 4);
    EXPECT_EQ(ListedIndex(kPanel, {1024, 768, 70, 32}), 5);
    EXPECT_EQ(ListedIndex(kPanel, {800, 600, 56, 32}), 7);
    // 59.94 and 60.00 both round to 60: the closer one wins, either order.
    EXPECT_EQ(ListedIndex(kPanel, {1920, 1080, 60, 32}), 0);
    const std::vector<CompositorMode> reversed = {{1920, 1080, 59940}, {1920, 1080, 60000}};
    EXPECT_EQ(ListedIndex(reversed, {1920, 1080, 60, 32}), 1);
    EXPECT_EQ(ListedIndex(reversed, {1920, 1080, 59, 32}), -1);
}

TEST(ChooseMode, RoundingIsToTheNearestHzHalvesUp) {
    EXPECT_EQ(screen::RoundedHz(59940), 60);
    EXPECT_EQ(screen::RoundedHz(59499), 59);
    EXPECT_EQ(screen::RoundedHz(59500), 60);
    EXPECT_EQ(screen::RoundedHz(74984), 75);
    EXPECT_EQ(screen::RoundedHz(0), 0);
    EXPECT_EQ(screen::RoundedHz(-1000), 0);
    EXPECT_EQ(screen::Describe({1920, 1080, 59940}), "1920x1080@59.940 Hz");
}

TEST(ChooseMode, AnyRateTakesCurrentThenPreferredThenFastest) {
    EXPECT_EQ(ListedIndex(kPanel, {1920, 1080, 0, 32}), 0);
    EXPECT_EQ(ListedIndex(kPanel, {1280, 1024, 1, 32}), 3);
    std::vector<CompositorMode> modes = {{1280, 1024, 75000}, {1280, 1024, 60000, true}, {1280, 1024, 50000}};
    EXPECT_EQ(ListedIndex(modes, {1280, 1024, 0, 32}), 1);
    modes[2].current = true;
    EXPECT_EQ(ListedIndex(modes, {1280, 1024, 0, 32}), 2);
}

TEST(ChooseMode, ModesNotOfferedAreBadModes) {
    EXPECT_EQ(ChooseMode(kMutterDummy, {1280, 1024, 75, 32}).kind, ModeChoice::kBadMode);
    EXPECT_EQ(ChooseMode(kMutterDummy, {1600, 1200, 60, 32}).kind, ModeChoice::kBadMode);
    EXPECT_EQ(ChooseMode(kMutterDummy, {1280, 1024, 60, 16}).kind, ModeChoice::kBadMode);
    EXPECT_EQ(ChooseMode(kMutterDummy, {1280, 1024, 60, 8}).kind, ModeChoice::kBadMode);
    EXPECT_EQ(ChooseMode(kMutterDummy, {1280, 1024, -60, 32}).kind, ModeChoice::kBadMode);
    EXPECT_EQ(ChooseMode(kMutterDummy, {0, 1024, 60, 32}).kind, ModeChoice::kBadMode);
    // 0 bpp leaves the depth as it is, which is 32.
    EXPECT_EQ(ListedIndex(kMutterDummy, {1280, 1024, 60, 0}), 1);
}

TEST(ChooseMode, WithoutAListAnySizeIsACustomModeForTheCompositorToTest) {
    const std::vector<CompositorMode> none;
    ModeChoice choice = ChooseMode(none, {1280, 1024, 60, 32});
    EXPECT_EQ(choice.kind, ModeChoice::kCustom);
    EXPECT_EQ(choice.refresh_mhz, 60000);
    choice = ChooseMode(none, {1280, 1024, 0, 32});
    EXPECT_EQ(choice.kind, ModeChoice::kCustom);
    EXPECT_EQ(choice.refresh_mhz, 0);
    EXPECT_EQ(ChooseMode(none, {1280, 1024, 60, 16}).kind, ModeChoice::kBadMode);
}

TEST(WlrOfferedModes, StandInModesOfModelessHeadsOfferNothing) {
    std::vector<std::size_t> index;
    // sway 1.7 on the headless backend: one mode object that never gets a
    // size, on a head reported as off.
    const std::vector<CompositorMode> headless = {{0, 0, 0, false, false}};
    EXPECT_TRUE(screen::wlr::OfferedModes(headless, &index).empty());
    // wlroots' stand-in for a mode-less head that is on: its current size.
    const std::vector<CompositorMode> stand_in = {{1280, 720, 60000, false, true}};
    EXPECT_TRUE(screen::wlr::OfferedModes(stand_in, &index).empty());
    // A real list stays, and indexes lead back to the reported modes.
    const std::vector<CompositorMode> with_gap = {
        {0, 0, 0}, {1024, 768, 60000, true, true}, {800, 600, 60000}, {0, 600, 60000}};
    const auto offered = screen::wlr::OfferedModes(with_gap, &index);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(index, (std::vector<std::size_t>{1, 2}));
    const std::vector<CompositorMode> single_preferred = {{1920, 1080, 60000, true, true}};
    EXPECT_EQ(screen::wlr::OfferedModes(single_preferred, &index).size(), 1u);
}

// One 2560x1440 panel at 150 % beside a 1920x1080 one, positions in
// physical pixels, and a third monitor switched off.
screen::gnome::MutterState ThreeMonitors(std::uint32_t layout_mode) {
    using screen::gnome::MutterMode;
    screen::gnome::MutterState state;
    state.layout_mode = layout_mode;
    state.monitors = {
        {"eDP-1",
         {MutterMode{"2560x1440@59.951", 2560, 1440, 59.951, {1.0, 1.25, 1.5, 2.0}, true, true},
          MutterMode{"1920x1080@60.000", 1920, 1080, 60.0, {1.0, 2.0}, false, false},
          MutterMode{"1600x900@60.000", 1600, 900, 60.0, {1.0, 1.25, 2.0}, false, false}}},
        {"DP-2", {MutterMode{"1920x1080@60.000", 1920, 1080, 60.0, {1.0, 2.0}, true, true}}},
        {"HDMI-1", {MutterMode{"1024x768@60.004", 1024, 768, 60.004, {1.0}, false, true}}},
    };
    state.logical_monitors = {{0, 0, 1.5, 0, true, {"eDP-1"}}, {2560, 0, 1.0, 0, false, {"DP-2"}}};
    return state;
}

TEST(MutterLayout, KeepsTheOthersAndFallsBackToASupportedScale) {
    using screen::gnome::LogicalMonitorConfig;
    const auto state = ThreeMonitors(screen::gnome::kLayoutPhysical);
    const auto layout = screen::gnome::LayoutWithMode(state, "eDP-1", "1920x1080@60.000");
    ASSERT_TRUE(layout);
    // 150 % is not offered at 1920x1080: the closest offered scale is taken.
    // DP-2 follows the narrower panel; HDMI-1 stays off.
    const std::vector<LogicalMonitorConfig> expected = {
        {0, 0, 1.0, 0, true, {{"eDP-1", "1920x1080@60.000"}}},
        {1920, 0, 1.0, 0, false, {{"DP-2", "1920x1080@60.000"}}}};
    EXPECT_EQ(*layout, expected);

    const auto logical = screen::gnome::LayoutWithMode(ThreeMonitors(screen::gnome::kLayoutLogical), "eDP-1",
                                                       "1920x1080@60.000");
    ASSERT_TRUE(logical);
    // In logical pixels the panel was 2560 / 1.5 = 1707 wide and is now 1920.
    EXPECT_EQ((*logical)[1].x, 2560 + (1920 - 1707));

    // Of several offered scales, the closest: 1.25 for 1.5.
    EXPECT_EQ(screen::gnome::LayoutWithMode(state, "eDP-1", "1600x900@60.000")->front().scale, 1.25);
    // A monitor turned sideways grows by its height: DP-2 moves by 1080 - 1440, or else by 1920 - 2560.
    for (const std::uint32_t transform : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
        auto turned = state;
        turned.logical_monitors[0].transform = transform;
        const auto moved = screen::gnome::LayoutWithMode(turned, "eDP-1", "1920x1080@60.000");
        ASSERT_TRUE(moved);
        EXPECT_EQ((*moved)[1].x, transform % 2 ? 2200 : 1920) << transform;
    }
    // One below follows the panel's bottom edge.
    auto stacked = state;
    stacked.logical_monitors[1].x = 0;
    stacked.logical_monitors[1].y = 1440;
    EXPECT_EQ(screen::gnome::LayoutWithMode(stacked, "eDP-1", "1920x1080@60.000")->at(1).y, 1080);
    EXPECT_FALSE(screen::gnome::LayoutWithMode(state, "eDP-1", "640x480@60.000"));
    EXPECT_FALSE(screen::gnome::LayoutWithMode(state, "VGA-1", "1920x1080@60.000"));
    // A monitor that shows nothing has no mode to change.
    EXPECT_FALSE(screen::gnome::LayoutWithMode(state, "HDMI-1", "1024x768@60.004"));
}

TEST(MutterLayout, TargetIsTheNamedThenThePrimaryMonitor) {
    auto state = ThreeMonitors(screen::gnome::kLayoutLogical);
    EXPECT_EQ(state.Target("")->connector, "eDP-1");
    EXPECT_EQ(state.Target("DP-2")->connector, "DP-2");
    EXPECT_EQ(state.Target("VGA-1"), nullptr);
    state.logical_monitors[0].primary = false;
    state.logical_monitors[1].primary = true;
    EXPECT_EQ(state.Target("")->connector, "DP-2");
    // 59.951 Hz reads as 60.
    const auto modes = screen::gnome::CompositorModes(state.monitors[0]);
    EXPECT_EQ(modes[0].refresh_mhz, 59951);
    EXPECT_EQ(screen::RoundedHz(modes[0].refresh_mhz), 60);
    // mutter's rates are doubles that may fall just short of the mHz they mean.
    const screen::gnome::MutterMonitor short_of{"DP-3",
                                                {{"1280x1024@75", 1280, 1024, 74.99999237060547, {1.0}}}};
    EXPECT_EQ(screen::gnome::CompositorModes(short_of)[0].refresh_mhz, 75000);
}

}  // namespace
