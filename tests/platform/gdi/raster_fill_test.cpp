#include <gtest/gtest.h>

#include <climits>

#include "platform/gdi/raster.h"
#include "tests/platform/gdi/pixel_test_util.h"

namespace gdi::test {
namespace {

using raster::FillRect;

TEST(RasterFillRect, Inside) {
    auto s = MakeSurface(6, 4);
    FillRect(*s, RECT{1, 1, 4, 3}, kBlack);
    EXPECT_EQ(Picture(*s), Lines({
                               "......",
                               ".###..",
                               ".###..",
                               "......",
                           }));
}

TEST(RasterFillRect, PartlyOutsideIsClipped) {
    auto s = MakeSurface(5, 4);
    FillRect(*s, RECT{-3, 2, 2, 10}, kBlack);
    FillRect(*s, RECT{4, -5, 9, 1}, kRed);
    EXPECT_EQ(Picture(*s), Lines({
                               "....o",
                               ".....",
                               "##...",
                               "##...",
                           }));
}

TEST(RasterFillRect, WhollyOutsideEmptyOrInvertedPaintsNothing) {
    auto s = MakeSurface(5, 4);
    const RECT cases[] = {
        {5, 0, 9, 4}, {-4, 0, 0, 4}, {0, 4, 5, 8}, {0, -3, 5, 0},  // outside, touching an edge
        {2, 1, 2, 3}, {1, 2, 4, 2},                                // zero width, zero height
        {4, 1, 1, 3}, {1, 3, 4, 1},                                // inverted
    };
    for (const RECT& r : cases) FillRect(*s, r, kBlack);
    EXPECT_EQ(Count(*s, kWhite), 20);
}

TEST(RasterFillRect, ExtremeCoordinates) {
    auto s = MakeSurface(5, 4);
    FillRect(*s, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kBlack);
    EXPECT_EQ(Count(*s, kBlack), 20);

    auto t = MakeSurface(5, 4);
    FillRect(*t, RECT{INT_MAX, INT_MIN, INT_MIN, INT_MAX}, kBlack);  // inverted
    FillRect(*t, RECT{INT_MIN, INT_MIN, INT_MIN + 1, INT_MAX}, kBlack);
    FillRect(*t, RECT{INT_MAX - 1, 0, INT_MAX, 4}, kBlack);
    EXPECT_EQ(Count(*t, kWhite), 20);
    FillRect(*t, RECT{INT_MIN, 3, 2, INT_MAX}, kBlack);
    EXPECT_EQ(Picture(*t), Lines({".....", ".....", ".....", "##..."}));
}

// Fills beyond the caches take another path; its unaligned edges must match.
TEST(RasterFillRect, LargeFillsKeepTheirEdges) {
    auto s = MakeSurface(4099, 1100);
    FillRect(*s, RECT{1, 3, 4098, 1099}, kBlack);
    for (int y : {0, 2, 3, 500, 1098, 1099}) {
        for (int x : {0, 1, 2, 3, 4, 5, 2048, 4095, 4096, 4097, 4098}) {
            const bool inside = x >= 1 && x < 4098 && y >= 3 && y < 1099;
            EXPECT_EQ(s->at(x, y), inside ? kBlack : kWhite) << x << "," << y;
        }
    }
    EXPECT_EQ(Count(*s, kBlack), 4097 * 1096);
}

TEST(RasterFillRect, EmptySurface) {
    auto s = MakeSurface(0, 0);
    FillRect(*s, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kBlack);
    EXPECT_TRUE(s->pixels().empty());
}

}  // namespace
}  // namespace gdi::test
