#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "platform/gdi/raster.h"
#include "tests/platform/gdi/pixel_test_util.h"

namespace gdi::test {
namespace {

using raster::CosmeticPen;
using raster::CosmeticPolyline;

void Line(Surface& s, POINT a, POINT b, const CosmeticPen& pen = CosmeticPen{}) {
    const POINT pts[2] = {a, b};
    CosmeticPolyline(s, pts, 2, pen);
}

// The reference line plotted with a per-pixel surface check.
void PlotReference(Surface& s, POINT a, POINT b, Pixel color = kBlack) {
    for (POINT p : ReferenceLine(a, b)) {
        if (s.contains(p.x, p.y)) s.set(p.x, p.y, color);
    }
}

// The reference for far-out lines: walks only the major coordinates on the
// surface and applies the closed form at each, with no clipping logic of its own.
void PlotReferenceVisible(Surface& s, POINT a, POINT b) {
    const std::int64_t dx = static_cast<std::int64_t>(b.x) - a.x, dy = static_cast<std::int64_t>(b.y) - a.y;
    const bool x_major = std::llabs(dx) > std::llabs(dy);
    const std::int64_t major = x_major ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t minor = x_major ? std::llabs(dy) : std::llabs(dx);
    if (major == 0) return;
    const int bias = (x_major ? dy < 0 : dx < 0) ? 1 : 0;
    const int s_major = x_major ? (dx > 0 ? 1 : -1) : (dy > 0 ? 1 : -1);
    const int s_minor = x_major ? (dy > 0) - (dy < 0) : (dx > 0) - (dx < 0);
    const std::int64_t major0 = x_major ? a.x : a.y, minor0 = x_major ? a.y : a.x;
    const int extent = x_major ? s.width() : s.height();
    for (int v = 0; v < extent; ++v) {
        const std::int64_t i = (v - major0) * s_major;
        if (i < 0 || i >= major) continue;
        const std::int64_t w = minor0 + s_minor * MinorOffset(i, major, minor, bias);
        const std::int64_t x = x_major ? v : w, y = x_major ? w : v;
        if (x >= 0 && y >= 0 && x < s.width() && y < s.height())
            s.set(static_cast<int>(x), static_cast<int>(y), kBlack);
    }
}

std::string Describe(POINT a, POINT b) {
    return "(" + std::to_string(a.x) + "," + std::to_string(a.y) + ")->(" + std::to_string(b.x) + "," +
           std::to_string(b.y) + ")";
}

TEST(RasterCosmeticLine, EndpointsFirstDrawnLastNot) {
    auto s = MakeSurface(3, 7);
    Line(*s, {1, 0}, {1, 5});
    EXPECT_EQ(Picture(*s), Lines({".#.", ".#.", ".#.", ".#.", ".#.", "...", "..."}));

    auto t = MakeSurface(3, 7);
    Line(*t, {1, 5}, {1, 0});
    EXPECT_EQ(Picture(*t), Lines({"...", ".#.", ".#.", ".#.", ".#.", ".#.", "..."}));

    auto u = MakeSurface(6, 2);
    Line(*u, {5, 1}, {0, 1});
    EXPECT_EQ(Picture(*u), Lines({"......", ".#####"}));
}

TEST(RasterCosmeticLine, Degenerate) {
    auto s = MakeSurface(5, 5);
    Line(*s, {2, 2}, {2, 2});
    CosmeticPolyline(*s, nullptr, 2, CosmeticPen{});
    const POINT one[1] = {{1, 1}};
    CosmeticPolyline(*s, one, 1, CosmeticPen{});
    CosmeticPolyline(*s, one, 0, CosmeticPen{});
    EXPECT_EQ(Count(*s, kWhite), 25);

    auto empty = MakeSurface(0, 0);
    Line(*empty, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX});
}

TEST(RasterCosmeticLine, SlopedLinesMatchTheClosedForm) {
    // Known pictures first: a gentle slope going right and its mirror going left.
    auto s = MakeSurface(7, 3);
    Line(*s, {0, 0}, {6, 2});
    EXPECT_EQ(Picture(*s), Lines({"##.....", "..###..", ".....#."}));
    auto t = MakeSurface(7, 3);
    Line(*t, {6, 2}, {0, 0});
    EXPECT_EQ(Picture(*t), Lines({".#.....", "..###..", ".....##"}));

    // Every direction and length up to 15 from the centre of a surface.
    for (int dy = -15; dy <= 15; ++dy) {
        for (int dx = -15; dx <= 15; ++dx) {
            const POINT a{16, 16}, b{16 + dx, 16 + dy};
            auto got = MakeSurface(33, 33);
            auto want = MakeSurface(33, 33);
            Line(*got, a, b);
            PlotReference(*want, a, b);
            ASSERT_EQ(Picture(*got), Picture(*want)) << Describe(a, b);
        }
    }
}

TEST(RasterCosmeticLine, ReversedLinePlusEndEqualsLinePlusStart) {
    // A->B plus B gives the same pixels as B->A plus A.
    for (int dy = -13; dy <= 13; ++dy) {
        for (int dx = -13; dx <= 13; ++dx) {
            const POINT a{14, 14}, b{14 + dx, 14 + dy};
            auto forward = MakeSurface(29, 29);
            auto backward = MakeSurface(29, 29);
            Line(*forward, a, b);
            forward->set(b.x, b.y, kBlack);
            Line(*backward, b, a);
            backward->set(a.x, a.y, kBlack);
            ASSERT_EQ(Picture(*forward), Picture(*backward)) << Describe(a, b);
        }
    }
}

TEST(RasterCosmeticLine, PartlyAndWhollyOutsideClipExactly) {
    // End points on a grid around a small surface: every visible pixel must be
    // one the unclipped line draws, and all of those must be drawn.
    const int coords_x[] = {-9, -3, -1, 0, 2, 5, 7, 8, 11, 17};
    const int coords_y[] = {-8, -2, -1, 0, 3, 5, 6, 9, 14};
    std::vector<POINT> pts;
    for (int x : coords_x) {
        for (int y : coords_y) pts.push_back({x, y});
    }
    for (POINT a : pts) {
        for (POINT b : pts) {
            auto got = MakeSurface(8, 6);
            auto want = MakeSurface(8, 6);
            Line(*got, a, b);
            PlotReference(*want, a, b);
            ASSERT_EQ(Picture(*got), Picture(*want)) << Describe(a, b);
        }
    }
}

// About 10^4 lines of up to 2^32 pixels each: only the visible part may cost
// work, or the test outlasts its time limit.
TEST(RasterCosmeticLine, ExtremeCoordinatesAreExact) {
    {
        auto s = MakeSurface(40, 30);
        Line(*s, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX});
        EXPECT_EQ(Count(*s, kBlack), 30);
        for (int k = 0; k < 30; ++k) EXPECT_EQ(s->at(k, k), kBlack) << k;
    }
    const int values[] = {INT_MIN, INT_MIN + 1, -1000000007, -1, 0, 5, 31, 999999937, INT_MAX - 1, INT_MAX};
    std::vector<POINT> pts;
    for (int x : values) {
        for (int y : values) pts.push_back({x, y});
    }
    pts.push_back({-1000000000, INT_MIN});
    pts.push_back({1000000000, INT_MAX});
    pts.push_back({INT_MIN, -5});
    pts.push_back({INT_MAX, 40});
    for (POINT a : pts) {
        for (POINT b : pts) {
            auto got = MakeSurface(40, 30);
            auto want = MakeSurface(40, 30);
            Line(*got, a, b);
            PlotReferenceVisible(*want, a, b);
            ASSERT_EQ(Picture(*got), Picture(*want)) << Describe(a, b);
        }
    }
}

TEST(RasterCosmeticLine, DotsThreeOnThreeOffAcrossSegments) {
    CosmeticPen dotted{.color = kBlack, .dotted = true, .opaque_gaps = false, .bk_color = kGreen};
    auto s = MakeSurface(14, 1);
    Line(*s, {0, 0}, {14, 0}, dotted);
    EXPECT_EQ(Picture(*s), Lines({"###...###...##"}));

    // The phase continues round the corner: 5 pixels along, then 4 down.
    const POINT path[] = {{0, 0}, {5, 0}, {5, 5}, {5, 5}, {0, 5}};
    auto t = MakeSurface(6, 6);
    CosmeticPolyline(*t, path, 5, dotted);
    EXPECT_EQ(Picture(*t), Lines({
                               "###...",
                               ".....#",
                               ".....#",
                               ".....#",
                               "......",
                               ".###..",
                           }));

    // A new call restarts the phase "on".
    auto u = MakeSurface(8, 2);
    Line(*u, {0, 0}, {4, 0}, dotted);
    Line(*u, {4, 0}, {8, 0}, dotted);
    Line(*u, {7, 1}, {0, 1}, dotted);
    EXPECT_EQ(Picture(*u), Lines({"###.###.", ".#...###"}));
}

TEST(RasterCosmeticLine, OpaqueGapsTakeTheBackgroundColour) {
    CosmeticPen pen{.color = kBlack, .dotted = true, .opaque_gaps = true, .bk_color = kGreen};
    const POINT path[] = {{0, 0}, {5, 0}, {5, 5}, {0, 5}};
    auto s = MakeSurface(6, 6, kBlue);
    CosmeticPolyline(*s, path, 4, pen);
    EXPECT_EQ(Picture(*s), Lines({
                               "###---",
                               "bbbbb#",
                               "bbbbb#",
                               "bbbbb#",
                               "bbbbb-",
                               "b###--",
                           }));
    pen.opaque_gaps = false;
    auto t = MakeSurface(6, 6, kBlue);
    CosmeticPolyline(*t, path, 4, pen);
    EXPECT_EQ(Picture(*t), Lines({
                               "###bbb",
                               "bbbbb#",
                               "bbbbb#",
                               "bbbbb#",
                               "bbbbbb",
                               "b###bb",
                           }));
    // A solid pen never paints the background colour.
    pen.dotted = false;
    pen.opaque_gaps = true;
    auto u = MakeSurface(6, 1, kBlue);
    Line(*u, {0, 0}, {6, 0}, pen);
    EXPECT_EQ(Picture(*u), Lines({"######"}));
}

TEST(RasterCosmeticLine, DotPhaseAtAClippedStartIsTheIndexModuloSix) {
    const CosmeticPen dotted{.color = kBlack, .dotted = true, .opaque_gaps = true, .bk_color = kGreen};
    for (const int x0 : {INT_MIN, -7, -1000000001, -5}) {
        auto s = MakeSurface(24, 1);
        Line(*s, {x0, 0}, {INT_MAX, 0}, dotted);
        std::string want;
        for (int x = 0; x < 24; ++x) want += ((static_cast<std::int64_t>(x) - x0) % 6 < 3) ? '#' : '-';
        EXPECT_EQ(Picture(*s), want + "\n") << x0;
    }
    // Going left from far right: index i is at x = x0 - i.
    auto s = MakeSurface(24, 1);
    Line(*s, {INT_MAX, 0}, {INT_MIN, 0}, dotted);
    std::string want;
    for (int x = 0; x < 24; ++x) want += ((static_cast<std::int64_t>(INT_MAX) - x) % 6 < 3) ? '#' : '-';
    EXPECT_EQ(Picture(*s), want + "\n");
}

}  // namespace
}  // namespace gdi::test
