#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"
#include "tests/platform/gdi/pixel_test_util.h"

namespace gdi::test {
namespace {

using raster::WidePolyline;
using raster::detail::RoundDisc;

void Wide(Surface& s, POINT a, POINT b, int width, Pixel color = kBlack) {
    const POINT pts[2] = {a, b};
    WidePolyline(s, pts, 2, false, width, color);
}

// The w=6 disc row by row: dy -> [x0, x1] inclusive.
void StampDisc6(Surface& s, POINT c) {
    const int table[6][3] = {{-3, -1, 0}, {-2, -2, 1}, {-1, -3, 2}, {0, -3, 2}, {1, -2, 1}, {2, -1, 0}};
    for (const auto& row : table) {
        for (int x = row[1]; x <= row[2]; ++x) {
            if (s.contains(c.x + x, c.y + row[0])) s.set(c.x + x, c.y + row[0], kBlack);
        }
    }
}

std::vector<std::pair<int, int>> Rows(const std::vector<raster::detail::DiscRow>& disc) {
    std::vector<std::pair<int, int>> out;
    for (const auto& r : disc)
        out.emplace_back(r.left, r.right - 1);  // inclusive, as docs/drawing-rules.md lists them
    return out;
}

TEST(RasterWideLine, DiscsOfWidth3And6And7RowByRow) {
    using R = std::vector<std::pair<int, int>>;
    EXPECT_EQ(Rows(RoundDisc(3)), (R{{0, 0}, {-1, 1}, {0, 0}}));  // plus shape
    EXPECT_EQ(Rows(RoundDisc(6)), (R{{-1, 0}, {-2, 1}, {-3, 2}, {-3, 2}, {-2, 1}, {-1, 0}}));
    EXPECT_EQ(Rows(RoundDisc(7)), (R{{-1, 1}, {-2, 2}, {-3, 3}, {-3, 3}, {-3, 3}, {-2, 2}, {-1, 1}}));
    EXPECT_EQ(Rows(RoundDisc(2)), (R{{-1, 0}, {-1, 0}}));
}

TEST(RasterWideLine, DiscOfAnyWidthSpansTheBandAndIsSymmetricAndConvex) {
    for (int w = 2; w <= 300; ++w) {
        const auto disc = RoundDisc(w);
        ASSERT_EQ(static_cast<int>(disc.size()), w);
        int widest = 0;
        for (int k = 0; k < w; ++k) {
            const auto& r = disc[static_cast<std::size_t>(k)];
            const auto& mirror = disc[static_cast<std::size_t>(w - 1 - k)];
            ASSERT_EQ(r.left, mirror.left) << w << " " << k;
            ASSERT_EQ(r.right, mirror.right) << w << " " << k;
            ASSERT_LT(r.left, r.right) << w << " " << k;
            ASSERT_GE(r.left, -(w / 2)) << w;
            ASSERT_LE(r.right, -(w / 2) + w) << w;
            // Across the band the disc is centred like the band: left + right is constant.
            ASSERT_EQ(r.left + r.right, -(w / 2) + (-(w / 2) + w)) << w << " " << k;
            if (k <= (w - 1) / 2) {
                ASSERT_GE(r.right - r.left, widest) << w << " " << k;
                widest = r.right - r.left;
            }
        }
        EXPECT_EQ(widest, w) << w;
    }
}

TEST(RasterWideLine, Width6VerticalWithCaps) {
    auto s = MakeSurface(10, 14);
    Wide(*s, {5, 5}, {5, 9}, 6);
    EXPECT_EQ(Picture(*s), Lines({
                               "..........",
                               "..........",
                               "....##....",
                               "...####...",
                               "..######..",
                               "..######..",
                               "..######..",
                               "..######..",
                               "..######..",
                               "..######..",
                               "...####...",
                               "....##....",
                               "..........",
                               "..........",
                           }));
    // Same pixels drawn the other way.
    auto t = MakeSurface(10, 14);
    Wide(*t, {5, 9}, {5, 5}, 6);
    EXPECT_EQ(Picture(*t), Picture(*s));
}

TEST(RasterWideLine, Width7HorizontalWithCaps) {
    auto s = MakeSurface(11, 10);
    Wide(*s, {3, 5}, {6, 5}, 7);
    EXPECT_EQ(Picture(*s), Lines({
                               "...........",
                               "...........",
                               "..######...",
                               ".########..",
                               "##########.",
                               "##########.",
                               "##########.",
                               ".########..",
                               "..######...",
                               "...........",
                           }));
}

TEST(RasterWideLine, LongLinesWithWidth6CoverTheirCapsBeyondTheEnds) {
    {  // (1,1)->(1,768) w=6: cols -2..3, rows -2..770
        auto s = MakeSurface(8, 780);
        Wide(*s, {1, 1}, {1, 768}, 6);
        EXPECT_EQ(Painted(*s), (RECT{0, 0, 4, 771}));
        EXPECT_EQ(Picture(*s, RECT{-2, 0, 6, 3}), Lines({"  ####..", "  ####..", "  ####.."}));
        EXPECT_EQ(Picture(*s, RECT{0, 766, 6, 772}),
                  Lines({"####..", "####..", "####..", "###...", "##....", "......"}));
        for (int y = 0; y <= 768; ++y) ASSERT_EQ(Picture(*s, RECT{0, y, 5, y + 1}), "####.\n") << y;
    }
    {  // (1,767)->(1024,767) w=6: rows 764..769
        auto s = MakeSurface(1030, 775);
        Wide(*s, {1, 767}, {1024, 767}, 6);
        EXPECT_EQ(Painted(*s), (RECT{0, 764, 1027, 770}));
        EXPECT_EQ(Picture(*s, RECT{1019, 763, 1028, 771}), Lines({
                                                               ".........",
                                                               "######...",
                                                               "#######..",
                                                               "########.",
                                                               "########.",
                                                               "#######..",
                                                               "######...",
                                                               ".........",
                                                           }));
    }
    {  // w=7 covers y1-3..y2+3 and c-3..c+3
        auto s = MakeSurface(12, 30);
        Wide(*s, {4, 10}, {4, 20}, 7);
        EXPECT_EQ(Painted(*s), (RECT{1, 7, 8, 24}));
    }
}

TEST(RasterWideLine, JoinsAreDiscsAtInnerVertices) {
    const POINT path[] = {{3, 3}, {12, 3}, {12, 11}, {6, 11}};
    auto s = MakeSurface(18, 16);
    WidePolyline(*s, path, 4, false, 6, kBlack);

    auto want = MakeSurface(18, 16);
    raster::FillRect(*want, RECT{3, 0, 12, 6}, kBlack);   // (3,3)->(12,3)
    raster::FillRect(*want, RECT{9, 3, 15, 11}, kBlack);  // (12,3)->(12,11)
    raster::FillRect(*want, RECT{6, 8, 12, 14}, kBlack);  // (12,11)->(6,11)
    for (POINT p : path) StampDisc6(*want, p);
    EXPECT_EQ(Picture(*s), Picture(*want));

    // Closed: the closing segment and a join at the first vertex as well.
    auto c = MakeSurface(18, 16);
    WidePolyline(*c, path, 4, true, 6, kBlack);
    auto open = MakeSurface(18, 16);
    const POINT closed_path[] = {{3, 3}, {12, 3}, {12, 11}, {6, 11}, {3, 3}};
    WidePolyline(*open, closed_path, 5, false, 6, kBlack);
    EXPECT_EQ(Picture(*c), Picture(*open));
}

TEST(RasterWideLine, SlopedSegmentsAreAReasonableBand) {
    for (int w : {2, 3, 6, 7, 12}) {
        auto s = MakeSurface(40, 30);
        auto t = MakeSurface(40, 30);
        Wide(*s, {5, 6}, {31, 19}, w);
        Wide(*t, {31, 19}, {5, 6}, w);
        EXPECT_EQ(Picture(*s), Picture(*t)) << w;
        // It covers the cosmetic line and stays within w/2 + 1 of the centre line.
        for (POINT p : ReferenceLine({5, 6}, {31, 19})) EXPECT_EQ(s->at(p.x, p.y), kBlack) << w;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                if (s->at(x, y) != kBlack) continue;
                const double ux = 26, uy = 13, px = x - 5, py = y - 6;
                const double len = std::hypot(ux, uy);
                const double across = std::abs(px * uy - py * ux) / len;
                const double along = (px * ux + py * uy) / len;
                EXPECT_LE(across, w / 2.0 + 1) << w << " " << x << "," << y;
                EXPECT_GE(along, -(w / 2.0 + 1)) << w;
                EXPECT_LE(along, len + w / 2.0 + 1) << w;
            }
        }
    }
}

TEST(RasterWideLine, ClippedAndExtreme) {
    {
        auto s = MakeSurface(20, 12);
        Wide(*s, {INT_MIN, 5}, {INT_MAX, 5}, 7);
        EXPECT_EQ(Painted(*s), (RECT{0, 2, 20, 9}));
        EXPECT_EQ(Count(*s, kBlack), 20 * 7);
    }
    {
        auto s = MakeSurface(20, 12);
        Wide(*s, {5, INT_MAX}, {5, INT_MIN}, 6);
        EXPECT_EQ(Painted(*s), (RECT{2, 0, 8, 12}));
        EXPECT_EQ(Count(*s, kBlack), 6 * 12);
    }
    {
        auto s = MakeSurface(20, 12);
        Wide(*s, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, 6);
        for (int y = 0; y < 12; ++y) {
            EXPECT_EQ(s->at(y, y), kBlack) << y;
            for (int x = 0; x < 20; ++x) {
                if (std::abs(x - y) > 5) {
                    EXPECT_EQ(s->at(x, y), kWhite) << x << "," << y;
                }
            }
        }
    }
    {  // wholly outside, including caps that stop just short of the surface
        auto s = MakeSurface(20, 12);
        Wide(*s, {-100, -3}, {100, -3}, 6);  // rows -6..-1
        Wide(*s, {23, -50}, {23, 50}, 6);    // cols 20..25
        Wide(*s, {-30, 15}, {-4, 15}, 7);    // rows 12..18
        Wide(*s, {INT_MIN, INT_MIN}, {INT_MIN, INT_MAX}, 7);
        Wide(*s, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, 7);
        EXPECT_EQ(Count(*s, kWhite), 240);
    }
    {  // absurd widths are bounded, never hang
        auto s = MakeSurface(20, 12);
        Wide(*s, {5, 5}, {6, 5}, INT_MAX);
        EXPECT_EQ(Count(*s, kBlack), 240);
        auto t = MakeSurface(20, 12);
        Wide(*t, {INT_MIN, INT_MIN}, {INT_MIN + 1, INT_MIN}, INT_MAX);
        Wide(*t, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX - 1}, INT_MAX);
    }
}

TEST(RasterWideLine, Degenerate) {
    auto s = MakeSurface(8, 8);
    const POINT same[] = {{4, 4}, {4, 4}, {4, 4}};
    WidePolyline(*s, same, 3, false, 6, kBlack);
    WidePolyline(*s, same, 3, true, 6, kBlack);
    WidePolyline(*s, same, 1, false, 6, kBlack);
    WidePolyline(*s, nullptr, 3, false, 6, kBlack);
    WidePolyline(*s, same, 0, false, 6, kBlack);
    EXPECT_EQ(Count(*s, kWhite), 64);

    // Repeated points in the middle change nothing.
    const POINT with_dup[] = {{1, 4}, {4, 4}, {4, 4}, {6, 4}};
    const POINT plain[] = {{1, 4}, {4, 4}, {6, 4}};
    auto a = MakeSurface(8, 8);
    auto b = MakeSurface(8, 8);
    WidePolyline(*a, with_dup, 4, false, 3, kBlack);
    WidePolyline(*b, plain, 3, false, 3, kBlack);
    EXPECT_EQ(Picture(*a), Picture(*b));

    // Width 1 (or less) is the cosmetic line.
    auto c = MakeSurface(6, 1);
    Wide(*c, {0, 0}, {5, 0}, 1);
    Wide(*c, {0, 0}, {1, 0}, 0);
    EXPECT_EQ(Picture(*c), "#####.\n");
}

}  // namespace
}  // namespace gdi::test
