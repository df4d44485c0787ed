// Choosing a compositor mode, checked against mode lists as real compositors
// report them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/screen/compositor_modes.h"
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
        {0, 0, 0}, {1024, 768, 60000, true, true}, {800, 600, 60000}};
    const auto offered = screen::wlr::OfferedModes(with_gap, &index);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(index, (std::vector<std::size_t>{1, 2}));
    const std::vector<CompositorMode> single_preferred = {{1920, 1080, 60000, true, true}};
    EXPECT_EQ(screen::wlr::OfferedModes(single_preferred, &index).size(), 1u);
}

}  // namespace
