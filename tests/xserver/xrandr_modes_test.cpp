#include "platform/screen/xrandr/xrandr_modes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace screen::xrandr {
namespace {

ModeTiming Cvt1024x768() {
    return {1024, 768, 63'500'000, 1328, 798};
}  // 59.92 Hz
ModeTiming Cvt1280x1024At75() {
    return {1280, 1024, 138'750'000, 1744, 1063};
}  // 74.84 Hz

TEST(XrandrRefresh, RoundsDotClockOverFrameToNearestHz) {
    EXPECT_EQ(RefreshHz(Cvt1024x768()), 60);
    EXPECT_EQ(RefreshHz(Cvt1280x1024At75()), 75);
    EXPECT_EQ(RefreshHz({640, 480, 23'750'000, 800, 500}), 59);  // CVT 640x480 is 59.38 Hz
    EXPECT_EQ(RefreshHz({10, 10, 595, 10, 1}), 60);              // 59.5 rounds up
    EXPECT_EQ(RefreshHz({10, 10, 594, 10, 1}), 59);
}

TEST(XrandrRefresh, UnknownTimingIsZero) {
    EXPECT_EQ(RefreshHz({1600, 1200, 0, 0, 0}), 0);  // Xvfb's built-in mode
    EXPECT_EQ(RefreshHz({1600, 1200, 0, 2000, 1250}), 0);
    EXPECT_EQ(RefreshHz({1600, 1200, 160'000'000, 0, 1250}), 0);
    EXPECT_EQ(RefreshHz({1600, 1200, 160'000'000, 2000, 0}), 0);
    EXPECT_EQ(RefreshHz({1, 1, 1'000'000, 1, 1, true, false}), 0);  // interlaced, vtotal 1 halves to 0
}

TEST(XrandrRefresh, ScanFlagsChangeTheFrameCount) {
    const ModeTiming interlaced{1920, 1080, 74'250'000, 2200, 1125, true, false};
    EXPECT_EQ(RefreshHz(interlaced), 60);
    const ModeTiming double_scan{320, 240, 12'587'500, 400, 262, false, true};
    EXPECT_EQ(RefreshHz(double_scan), 60);
}

TEST(XrandrRefresh, ExtremeTimingsNeitherOverflowNorWrap) {
    EXPECT_EQ(RefreshHz({1, 1, UINT64_MAX, 1, 1}), INT32_MAX);
    EXPECT_EQ(RefreshHz({1, 1, UINT64_MAX, UINT32_MAX, UINT32_MAX}), 1);
    EXPECT_EQ(RefreshHz({1, 1, 1, UINT32_MAX, UINT32_MAX}), 0);
}

TEST(XrandrMatch, RefreshZeroOrOneTakesAnyRate) {
    for (int requested : {0, 1}) {
        EXPECT_TRUE(RefreshMatches(requested, 60));
        EXPECT_TRUE(RefreshMatches(requested, 0));
    }
    EXPECT_TRUE(RefreshMatches(75, 75));
    EXPECT_FALSE(RefreshMatches(75, 60));
    EXPECT_FALSE(RefreshMatches(60, 0));
    EXPECT_FALSE(RefreshMatches(300, 60));
    EXPECT_FALSE(RefreshMatches(-60, -60));
}

TEST(XrandrMatch, SizeRefreshAndDepthMustAllAgree) {
    const ModeTiming offered = Cvt1024x768();
    EXPECT_TRUE(Matches({1024, 768, 60, 32}, offered, 32));
    EXPECT_TRUE(Matches({1024, 768, 0, 32}, offered, 32));
    EXPECT_FALSE(Matches({1024, 768, 59, 32}, offered, 32));
    EXPECT_FALSE(Matches({1024, 769, 60, 32}, offered, 32));
    EXPECT_FALSE(Matches({1280, 1024, 60, 32}, offered, 32));
    EXPECT_FALSE(Matches({1024, 768, 60, 16}, offered, 32));
    EXPECT_FALSE(Matches({1024, 768, 60, 24}, offered, 32));
    EXPECT_TRUE(Matches({1024, 768, 60, 16}, offered, 16));
    EXPECT_FALSE(Matches({1024, 768, 60, 32}, offered, 24));
}

TEST(XrandrMatch, DegenerateRequestsMatchNothing) {
    const ModeTiming zero{0, 0, 0, 0, 0};
    EXPECT_FALSE(Matches({0, 0, 0, 32}, zero, 32));
    EXPECT_FALSE(Matches({-1024, -768, 60, 32}, {-1024, -768, 63'500'000, 1328, 798}, 32));
    EXPECT_FALSE(Matches({1024, 768, 60, 0}, Cvt1024x768(), 32));
    EXPECT_FALSE(Matches({INT32_MAX, INT32_MAX, 60, 32}, Cvt1024x768(), 32));
}

TEST(XrandrMatch, FindModeTakesTheFirstMatchInOrder) {
    const std::vector<ModeTiming> offered = {
        {1280, 1024, 109'000'000, 1712, 1063},  // 60 Hz
        Cvt1280x1024At75(),
        Cvt1024x768(),
    };
    EXPECT_EQ(FindMode({1280, 1024, 75, 32}, offered, 32), 1u);
    EXPECT_EQ(FindMode({1280, 1024, 60, 32}, offered, 32), 0u);
    EXPECT_EQ(FindMode({1280, 1024, 0, 32}, offered, 32), 0u);
    EXPECT_EQ(FindMode({1024, 768, 1, 32}, offered, 32), 2u);
    EXPECT_FALSE(FindMode({1920, 1080, 60, 32}, offered, 32));
    EXPECT_FALSE(FindMode({1024, 768, 60, 32}, {}, 32));
}

TEST(XrandrDepth, BitsPerPixelComeFromThePixmapFormatOfTheDepth) {
    const std::vector<PixmapFormat> formats = {{1, 1},   {4, 8},   {8, 8},  {15, 16},
                                               {16, 16}, {24, 32}, {32, 32}};
    EXPECT_EQ(BitsPerPixel(24, formats), 32);
    EXPECT_EQ(BitsPerPixel(16, formats), 16);
    EXPECT_EQ(BitsPerPixel(4, formats), 8);
    EXPECT_EQ(BitsPerPixel(30, formats), 30);  // unlisted: the depth itself
    EXPECT_EQ(BitsPerPixel(24, {}), 24);
}

}  // namespace
}  // namespace screen::xrandr
