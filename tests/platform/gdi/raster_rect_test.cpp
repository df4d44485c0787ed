#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "platform/gdi/raster.h"
#include "tests/platform/gdi/pixel_test_util.h"

namespace gdi::test {
namespace {

using raster::RectPen;

const Pixel kBrush = kRed;

void Rect(Surface& s, RECT r, RectPen pen, bool brush, bool opaque = false) {
    raster::Rectangle(s, r, pen, brush ? &kBrush : nullptr, opaque, kGreen);
}

TEST(RasterRectangle, WorkedExampleThreePixelPen) {
    auto s = MakeSurface(12, 10);
    Rect(*s, RECT{2, 2, 10, 8}, RectPen{PS_SOLID, 3, kBlack}, true);
    EXPECT_EQ(Picture(*s), Lines({
                               "............",
                               "..########..",
                               ".##########.",
                               ".##########.",
                               ".###oooo###.",
                               ".###oooo###.",
                               ".##########.",
                               ".##########.",
                               "..########..",
                               "............",
                           }));
    // Dashed styles wider than one pixel draw solid.
    auto t = MakeSurface(12, 10);
    Rect(*t, RECT{2, 2, 10, 8}, RectPen{PS_DOT, 3, kBlack}, true, true);
    EXPECT_EQ(Picture(*t), Picture(*s));
}

TEST(RasterRectangle, OnePixelPen) {
    auto s = MakeSurface(7, 6);
    Rect(*s, RECT{1, 1, 6, 5}, RectPen{PS_SOLID, 1, kBlack}, true);
    EXPECT_EQ(Picture(*s), Lines({".......", ".#####.", ".#ooo#.", ".#ooo#.", ".#####.", "......."}));

    // Width 0 is one pixel; no brush leaves the inside alone; coordinates are ordered first.
    auto t = MakeSurface(7, 6, kBlue);
    Rect(*t, RECT{6, 5, 1, 1}, RectPen{PS_SOLID, 0, kBlack}, false);
    EXPECT_EQ(Picture(*t), Lines({"bbbbbbb", "b#####b", "b#bbb#b", "b#bbb#b", "b#####b", "bbbbbbb"}));
}

TEST(RasterRectangle, NullPenFillsAllButTheLastRowAndColumn) {
    auto s = MakeSurface(7, 6);
    Rect(*s, RECT{1, 1, 6, 5}, RectPen{PS_NULL, 1, kBlack}, true);
    EXPECT_EQ(Picture(*s), Lines({".......", ".oooo..", ".oooo..", ".oooo..", ".......", "......."}));
    auto t = MakeSurface(7, 6);
    Rect(*t, RECT{1, 1, 6, 5}, RectPen{PS_NULL, 1, kBlack}, false);
    EXPECT_EQ(Count(*t, kWhite), 42);
}

TEST(RasterRectangle, DottedPhaseRunsLeftFromTopRightAndRoundTheCorners) {
    // Path (7,0) -> (0,0) -> (0,4) -> (7,4) -> (7,0); 3 on, 3 off from (7,0).
    auto s = MakeSurface(10, 7);
    Rect(*s, RECT{0, 0, 8, 5}, RectPen{PS_DOT, 1, kBlack}, false);
    EXPECT_EQ(Picture(*s), Lines({
                               "##...###..",
                               "#.........",
                               ".......#..",
                               ".......#..",
                               ".###...#..",
                               "..........",
                               "..........",
                           }));
    // Opaque: the gaps take the background colour; each outline pixel is painted once.
    auto t = MakeSurface(10, 7);
    Rect(*t, RECT{0, 0, 8, 5}, RectPen{PS_DOT, 1, kBlack}, true, true);
    EXPECT_EQ(Picture(*t), Lines({
                               "##---###..",
                               "#oooooo-..",
                               "-oooooo#..",
                               "-oooooo#..",
                               "-###---#..",
                               "..........",
                               "..........",
                           }));
    EXPECT_EQ(Count(*t, kBlack) + Count(*t, kGreen), 2 * 8 + 2 * 5 - 4);
    // Transparent gaps over a brush: the brush keeps inside the outline.
    auto u = MakeSurface(10, 7);
    Rect(*u, RECT{0, 0, 8, 5}, RectPen{PS_DOT, 1, kBlack}, true);
    EXPECT_EQ(Picture(*u), Lines({
                               "##...###..",
                               "#oooooo...",
                               ".oooooo#..",
                               ".oooooo#..",
                               ".###...#..",
                               "..........",
                               "..........",
                           }));
}

TEST(RasterRectangle, DegenerateSizes) {
    auto s = MakeSurface(8, 8);
    Rect(*s, RECT{3, 3, 3, 8}, RectPen{PS_SOLID, 1, kBlack}, true);
    Rect(*s, RECT{3, 3, 8, 3}, RectPen{PS_SOLID, 3, kBlack}, true);
    Rect(*s, RECT{3, 3, 3, 3}, RectPen{PS_NULL, 1, kBlack}, true);
    EXPECT_EQ(Count(*s, kWhite), 64);

    // One pixel wide: a single column; one pixel tall: a single row.
    auto t = MakeSurface(6, 6);
    Rect(*t, RECT{2, 1, 3, 5}, RectPen{PS_SOLID, 1, kBlack}, true);
    Rect(*t, RECT{3, 5, 6, 6}, RectPen{PS_SOLID, 1, kBlack}, true);
    EXPECT_EQ(Picture(*t), Lines({"......", "..#...", "..#...", "..#...", "..#...", "...###"}));

    // Null pen on a one-pixel rectangle fills nothing.
    auto u = MakeSurface(4, 4);
    Rect(*u, RECT{1, 1, 2, 3}, RectPen{PS_NULL, 1, kBlack}, true);
    EXPECT_EQ(Count(*u, kWhite), 16);
}

TEST(RasterRectangle, PartlyOutside) {
    auto s = MakeSurface(7, 5);
    Rect(*s, RECT{-1, -1, 5, 4}, RectPen{PS_SOLID, 1, kBlack}, true);
    EXPECT_EQ(Picture(*s), Lines({"oooo#..", "oooo#..", "oooo#..", "#####..", "......."}));

    auto t = MakeSurface(6, 5);
    Rect(*t, RECT{3, 2, 9, 9}, RectPen{PS_SOLID, 3, kBlack}, true);
    EXPECT_EQ(Picture(*t), Lines({"......", "...###", "..####", "..####", "..###o"}));
}

TEST(RasterRectangle, WhollyOutside) {
    auto s = MakeSurface(6, 5);
    Rect(*s, RECT{8, 0, 12, 5}, RectPen{PS_SOLID, 1, kBlack}, true);
    Rect(*s, RECT{-9, -9, -1, -1}, RectPen{PS_SOLID, 3, kBlack}, true);  // band reaches -1
    Rect(*s, RECT{-5, 8, 3, 12}, RectPen{PS_SOLID, 6, kBlack}, true);    // band starts at row 5
    Rect(*s, RECT{9, -5, 20, 20}, RectPen{PS_SOLID, 7, kBlack}, true);   // band starts at column 6
    EXPECT_EQ(Count(*s, kWhite), 30);
}

TEST(RasterRectangle, ExtremeCoordinates) {
    auto s = MakeSurface(6, 5);
    Rect(*s, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, RectPen{PS_SOLID, 1, kBlack}, true);
    EXPECT_EQ(Count(*s, kBrush), 30);
    auto t = MakeSurface(6, 5);
    Rect(*t, RECT{INT_MAX, INT_MAX, INT_MIN, INT_MIN}, RectPen{PS_SOLID, 7, kBlack}, true);
    EXPECT_EQ(Count(*t, kBrush), 30);
    auto u = MakeSurface(6, 5);
    Rect(*u, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, RectPen{PS_NULL, 1, kBlack}, true);
    EXPECT_EQ(Count(*u, kBrush), 30);

    // The top edge of a huge dotted rectangle: pixel x is index INT_MAX - 1 - x of the first segment.
    auto d = MakeSurface(20, 4);
    Rect(*d, RECT{INT_MIN, 2, INT_MAX, 5}, RectPen{PS_DOT, 1, kBlack}, false, true);
    std::string want;
    for (int x = 0; x < 20; ++x) want += ((static_cast<std::int64_t>(INT_MAX) - 1 - x) % 6 < 3) ? '#' : '-';
    EXPECT_EQ(Picture(*d, RECT{0, 2, 20, 3}), want + "\n");
    EXPECT_EQ(Picture(*d, RECT{0, 3, 20, 4}), std::string(20, '.') + "\n");

    // Edges at the very ends of the int range.
    auto e = MakeSurface(6, 5);
    Rect(*e, RECT{INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1}, RectPen{PS_SOLID, 1, kBlack}, true);
    Rect(*e, RECT{INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX}, RectPen{PS_SOLID, 6, kBlack}, true);
    Rect(*e, RECT{INT_MAX - 2, 0, INT_MAX, 5}, RectPen{PS_DOT, 1, kBlack}, true, true);
    EXPECT_EQ(Count(*e, kWhite), 30);
}

}  // namespace
}  // namespace gdi::test
