#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "platform/gdi/raster.h"
#include "tests/platform/gdi/pixel_test_util.h"

namespace gdi::test {
namespace {

using raster::StretchBlt;

constexpr Pixel kUnset = 0x123456;  // destination before the blit

// The two mappings of docs/drawing-rules.md (section 8), written out directly.
std::int64_t EnlargeSource(std::int64_t d, std::int64_t S, std::int64_t D) {  // D >= S
    const Wide n = (2 * static_cast<Wide>(d) + 1) * S, q = 2 * static_cast<Wide>(D);
    return static_cast<std::int64_t>((n + q - 1) / q) - 1;
}
std::int64_t ShrinkDestination(std::int64_t s, std::int64_t S, std::int64_t D) {  // S > D
    const Wide n = (2 * static_cast<Wide>(s) + 1) * D, q = 2 * static_cast<Wide>(S);
    return static_cast<std::int64_t>((n + q - 1) / q) - 1;
}

// A one-row (or one-column) strip whose pixel i holds i + 1.
SurfacePtr Strip(int n, bool vertical) {
    auto s = MakeSurface(vertical ? 1 : n, vertical ? n : 1);
    for (int i = 0; i < n; ++i) s->set(vertical ? 0 : i, vertical ? i : 0, static_cast<Pixel>(i + 1));
    return s;
}

Pixel StripAt(const Surface& s, int i, bool vertical) {
    return vertical ? s.at(0, i) : s.at(i, 0);
}

// A one-pixel destination reads one source pixel fewer.
int EffectiveSource(int S, int D) {
    return (D == 1 && S > 1) ? S - 1 : S;
}

TEST(RasterStretchBlt, EnlargingMapsEveryDestinationPixelByTheClosedForm) {
    for (bool vertical : {false, true}) {
        for (int S = 1; S < 40; ++S) {
            const auto src = Strip(S, vertical);
            for (int D = S; D < 40; ++D) {
                for (int mode : {COLORONCOLOR, BLACKONWHITE, WHITEONBLACK, HALFTONE}) {
                    auto dst = MakeSurface(vertical ? 1 : D, vertical ? D : 1, kUnset);
                    if (vertical) {
                        StretchBlt(*dst, 0, 0, 1, D, *src, 0, 0, 1, S, mode);
                    } else {
                        StretchBlt(*dst, 0, 0, D, 1, *src, 0, 0, S, 1, mode);
                    }
                    for (int d = 0; d < D; ++d) {
                        ASSERT_EQ(StripAt(*dst, d, vertical), static_cast<Pixel>(EnlargeSource(d, S, D) + 1))
                            << "S=" << S << " D=" << D << " d=" << d << " vertical=" << vertical
                            << " mode=" << mode;
                    }
                }
            }
        }
    }
}

TEST(RasterStretchBlt, ShrinkingAndsEachSourcePixelIntoItsClosedFormDestination) {
    // One black source pixel at a time on white: BLACKONWHITE makes exactly its
    // destination pixel black; WHITEONBLACK on the inverse makes it white.
    for (bool vertical : {false, true}) {
        for (int S = 2; S < 40; ++S) {
            for (int D = 1; D < S; ++D) {
                const int S_eff = EffectiveSource(S, D);
                for (int s = 0; s < S; ++s) {
                    for (int mode : {BLACKONWHITE, WHITEONBLACK}) {
                        const Pixel ground = mode == BLACKONWHITE ? kWhite : kBlack;
                        const Pixel mark = mode == BLACKONWHITE ? kBlack : kWhite;
                        auto src = MakeSurface(vertical ? 1 : S, vertical ? S : 1, ground);
                        src->set(vertical ? 0 : s, vertical ? s : 0, mark);
                        auto dst = MakeSurface(vertical ? 1 : D, vertical ? D : 1, kUnset);
                        StretchBlt(*dst, 0, 0, vertical ? 1 : D, vertical ? D : 1, *src, 0, 0,
                                   vertical ? 1 : S, vertical ? S : 1, mode);
                        std::int64_t want = -1;  // the source pixel past the quirk's end is never read
                        if (s < S_eff)
                            want = S_eff > D ? ShrinkDestination(s, S_eff, D) : EnlargeSource(0, S_eff, D);
                        for (int d = 0; d < D; ++d) {
                            ASSERT_EQ(StripAt(*dst, d, vertical), d == want ? mark : ground)
                                << "S=" << S << " D=" << D << " s=" << s << " d=" << d
                                << " vertical=" << vertical << " mode=" << mode;
                        }
                    }
                }
            }
        }
    }
}

TEST(RasterStretchBlt, ShrinkingColorOnColorKeepsLastColumnAndFirstRow) {
    for (bool vertical : {false, true}) {
        for (int S = 2; S < 40; ++S) {
            const auto src = Strip(S, vertical);
            for (int D = 1; D < S; ++D) {
                const int S_eff = EffectiveSource(S, D);
                for (int mode : {COLORONCOLOR, HALFTONE}) {
                    auto dst = MakeSurface(vertical ? 1 : D, vertical ? D : 1, kUnset);
                    StretchBlt(*dst, 0, 0, vertical ? 1 : D, vertical ? D : 1, *src, 0, 0, vertical ? 1 : S,
                               vertical ? S : 1, mode);
                    for (int d = 0; d < D; ++d) {
                        // The group of d: all s with the closed-form destination d.
                        std::vector<int> group;
                        for (int s = 0; s < S_eff; ++s) {
                            const std::int64_t to = S_eff > D ? ShrinkDestination(s, S_eff, D) : 0;
                            if (to == d) group.push_back(s);
                        }
                        ASSERT_FALSE(group.empty());
                        const int kept = vertical ? group.front() : group.back();
                        ASSERT_EQ(StripAt(*dst, d, vertical), static_cast<Pixel>(kept + 1))
                            << "S=" << S << " D=" << D << " d=" << d << " vertical=" << vertical;
                    }
                }
            }
        }
    }
}

TEST(RasterStretchBlt, BlackOnWhiteAndsOverRowsAndColumnsPerChannel) {
    auto src = MakeSurface(4, 4, kWhite);
    src->set(3, 1, 0xFF00FF);
    src->set(2, 0, 0x00FFFF);
    src->set(0, 3, kBlack);
    auto dst = MakeSurface(2, 2, kUnset);
    StretchBlt(*dst, 0, 0, 2, 2, *src, 0, 0, 4, 4, BLACKONWHITE);
    EXPECT_EQ(dst->at(0, 0), kWhite);
    EXPECT_EQ(dst->at(1, 0), 0x0000FFu);  // 0xFF00FF & 0x00FFFF
    EXPECT_EQ(dst->at(0, 1), kBlack);
    EXPECT_EQ(dst->at(1, 1), kWhite);

    auto inv = MakeSurface(4, 4, kBlack);
    inv->set(3, 1, 0xFF0000);
    inv->set(2, 0, 0x0000FF);
    auto out = MakeSurface(2, 2, kUnset);
    StretchBlt(*out, 0, 0, 2, 2, *inv, 0, 0, 4, 4, WHITEONBLACK);
    EXPECT_EQ(out->at(1, 0), 0xFF00FFu);
    EXPECT_EQ(out->at(0, 1), kBlack);

    // Enlarging rows, shrinking columns: only the columns combine.
    auto tall = MakeSurface(4, 2, kWhite);
    tall->set(1, 0, kBlack);
    auto wide = MakeSurface(2, 4, kUnset);
    StretchBlt(*wide, 0, 0, 2, 4, *tall, 0, 0, 4, 2, BLACKONWHITE);
    EXPECT_EQ(Picture(*wide), Lines({"#.", "#.", "..", ".."}));
}

TEST(RasterStretchBlt, BlackOnWhiteKeepsAOnePixelLineWhenShrinking22To16) {
    int lost_by_color_on_color = 0;
    for (int line = 0; line < 22; ++line) {
        auto src = MakeSurface(22, 5, kWhite);
        for (int y = 0; y < 5; ++y) src->set(line, y, kBlack);
        auto dst = MakeSurface(16, 5, kUnset);
        StretchBlt(*dst, 0, 0, 16, 5, *src, 0, 0, 22, 5, BLACKONWHITE);
        EXPECT_EQ(Count(*dst, kBlack), 5) << line;
        EXPECT_EQ(Count(*dst, kWhite), 75) << line;
        const int col = static_cast<int>(ShrinkDestination(line, 22, 16));
        for (int y = 0; y < 5; ++y) EXPECT_EQ(dst->at(col, y), kBlack) << line;

        auto coc = MakeSurface(16, 5, kUnset);
        StretchBlt(*coc, 0, 0, 16, 5, *src, 0, 0, 22, 5, COLORONCOLOR);
        lost_by_color_on_color += Count(*coc, kBlack) == 0;
    }
    EXPECT_EQ(lost_by_color_on_color, 6);  // 22 - 16 columns are dropped without combining
}

TEST(RasterStretchBlt, OnePixelQuirk) {
    auto src = MakeSurface(5, 1, kWhite);
    src->set(4, 0, kBlack);
    auto dst = MakeSurface(1, 1, kUnset);
    StretchBlt(*dst, 0, 0, 1, 1, *src, 0, 0, 5, 1, BLACKONWHITE);
    EXPECT_EQ(dst->at(0, 0), kWhite);  // the last source pixel is not read
    src->set(3, 0, kBlack);
    StretchBlt(*dst, 0, 0, 1, 1, *src, 0, 0, 5, 1, BLACKONWHITE);
    EXPECT_EQ(dst->at(0, 0), kBlack);

    auto col = MakeSurface(1, 3, kWhite);
    col->set(0, 2, kBlack);
    auto one = MakeSurface(4, 1, kUnset);
    StretchBlt(*one, 0, 0, 4, 1, *col, 0, 0, 1, 3, BLACKONWHITE);
    EXPECT_EQ(Picture(*one), "....\n");
}

// Reference for one axis: the source pixels (relative to the source rectangle)
// that destination pixel d reads, by the closed forms. For the picking modes
// only the kept pixel; `visible` limits combining to the on-surface part.
std::vector<std::int64_t> Reads(std::int64_t d, int S, int D, bool combine, bool keep_last,
                                std::int64_t vis_lo, std::int64_t vis_hi) {
    const int S_eff = EffectiveSource(S, D);
    if (D >= S_eff) return {EnlargeSource(d, S_eff, D)};
    std::vector<std::int64_t> out;
    if (combine) {
        for (std::int64_t s = std::max<std::int64_t>(0, vis_lo); s < std::min<std::int64_t>(S_eff, vis_hi);
             ++s) {
            if (ShrinkDestination(s, S_eff, D) == d) out.push_back(s);
        }
        return out;
    }
    std::int64_t first = -1, last = -1;
    for (std::int64_t s = 0; s < S_eff; ++s) {
        if (ShrinkDestination(s, S_eff, D) != d) continue;
        if (first < 0) first = s;
        last = s;
    }
    return {keep_last ? last : first};
}

void ReferenceStretch(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw,
                      int sh, int mode) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    const bool combine = mode == BLACKONWHITE || mode == WHITEONBLACK;
    for (int Y = 0; Y < dst.height(); ++Y) {
        const std::int64_t dy = static_cast<std::int64_t>(Y) - y;
        if (dy < 0 || dy >= h) continue;
        const auto rows = Reads(dy, sh, h, combine, false, -static_cast<std::int64_t>(sy),
                                src.height() - static_cast<std::int64_t>(sy));
        for (int X = 0; X < dst.width(); ++X) {
            const std::int64_t dx = static_cast<std::int64_t>(X) - x;
            if (dx < 0 || dx >= w) continue;
            const auto cols = Reads(dx, sw, w, combine, true, -static_cast<std::int64_t>(sx),
                                    src.width() - static_cast<std::int64_t>(sx));
            bool any = false;
            Pixel acc = mode == BLACKONWHITE ? 0xFFFFFFFFu : 0u;
            for (std::int64_t r : rows) {
                for (std::int64_t c : cols) {
                    const std::int64_t px = sx + c, py = sy + r;
                    if (px < 0 || py < 0 || px >= src.width() || py >= src.height()) continue;
                    const Pixel p = src.at(static_cast<int>(px), static_cast<int>(py));
                    any = true;
                    acc = mode == BLACKONWHITE ? (acc & p) : mode == WHITEONBLACK ? (acc | p) : p;
                }
            }
            if (any) dst.set(X, Y, acc);
        }
    }
}

SurfacePtr Encoded(int w, int h) {
    auto s = MakeSurface(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s->set(x, y, static_cast<Pixel>(((x * 7 + y * 13) % 64) * 0x030507 + 0x101010));
    }
    return s;
}

TEST(RasterStretchBlt, DestinationPartlyOffTheSurfaceKeepsTheUnclippedMapping) {
    const auto src = Encoded(11, 9);
    for (int mode : {COLORONCOLOR, BLACKONWHITE, WHITEONBLACK}) {
        for (int x : {-25, -7, -1, 0, 3, 9}) {
            for (int w : {1, 4, 11, 17, 30}) {
                for (int y : {-9, -2, 0, 5}) {
                    for (int h : {1, 3, 9, 20}) {
                        auto got = MakeSurface(12, 10, kUnset);
                        auto want = MakeSurface(12, 10, kUnset);
                        StretchBlt(*got, x, y, w, h, *src, 0, 0, 11, 9, mode);
                        ReferenceStretch(*want, x, y, w, h, *src, 0, 0, 11, 9, mode);
                        ASSERT_EQ(got->pixels(), want->pixels())
                            << "mode " << mode << " dst " << x << "," << y << " " << w << "x" << h;
                    }
                }
            }
        }
    }
}

// Rows wide and cut at both ends, with the source whole or partly off its
// surface: each must give the direct mapping's pixels.
TEST(RasterStretchBlt, WideRowsMatchTheMapping) {
    const auto src = Encoded(70, 12);
    for (int mode : {COLORONCOLOR, BLACKONWHITE, WHITEONBLACK}) {
        for (int x : {-21, 0, 5}) {
            for (int w : {17, 33, 47, 69, 71, 100, 141}) {
                for (int h : {5, 12, 19}) {
                    for (int sx : {0, -9}) {
                        auto got = MakeSurface(150, 20, kUnset);
                        auto want = MakeSurface(150, 20, kUnset);
                        StretchBlt(*got, x, 1, w, h, *src, sx, 0, 70, 12, mode);
                        ReferenceStretch(*want, x, 1, w, h, *src, sx, 0, 70, 12, mode);
                        ASSERT_EQ(got->pixels(), want->pixels())
                            << "mode " << mode << " dst " << x << " " << w << "x" << h << " src " << sx;
                    }
                }
            }
        }
    }
}

TEST(RasterStretchBlt, SourcePartlyOutsideReadsNothingThere) {
    const auto src = Encoded(6, 5);
    for (int mode : {COLORONCOLOR, BLACKONWHITE, WHITEONBLACK}) {
        for (int sx : {-20, -4, -1, 0, 2, 5, 6, 9}) {
            for (int sw : {1, 3, 6, 10, 25}) {
                for (int sy : {-6, -1, 0, 3, 5}) {
                    for (int sh : {1, 2, 5, 12}) {
                        for (int w : {1, 5, 13}) {
                            auto got = MakeSurface(13, 8, kUnset);
                            auto want = MakeSurface(13, 8, kUnset);
                            StretchBlt(*got, 0, 1, w, 6, *src, sx, sy, sw, sh, mode);
                            ReferenceStretch(*want, 0, 1, w, 6, *src, sx, sy, sw, sh, mode);
                            ASSERT_EQ(got->pixels(), want->pixels())
                                << "mode " << mode << " src " << sx << "," << sy << " " << sw << "x" << sh
                                << " w " << w;
                        }
                    }
                }
            }
        }
    }
    // Wholly outside: nothing changes.
    auto dst = MakeSurface(5, 5, kUnset);
    StretchBlt(*dst, 0, 0, 5, 5, *src, 6, 0, 3, 3, BLACKONWHITE);
    StretchBlt(*dst, 0, 0, 5, 5, *src, -3, 0, 3, 3, COLORONCOLOR);
    StretchBlt(*dst, 0, 0, 5, 5, *src, 0, INT_MIN, 3, 3, WHITEONBLACK);
    EXPECT_EQ(Count(*dst, kUnset), 25);
}

TEST(RasterStretchBlt, NegativeOrZeroSizesDrawNothing) {
    const auto src = Encoded(6, 5);
    auto dst = MakeSurface(5, 5, kUnset);
    StretchBlt(*dst, 4, 4, -3, 3, *src, 0, 0, 3, 3, COLORONCOLOR);
    StretchBlt(*dst, 0, 4, 3, -3, *src, 0, 0, 3, 3, COLORONCOLOR);
    StretchBlt(*dst, 0, 0, 3, 3, *src, 3, 0, -3, 3, BLACKONWHITE);
    StretchBlt(*dst, 0, 0, 3, 3, *src, 0, 3, 3, -3, BLACKONWHITE);
    StretchBlt(*dst, 0, 0, 0, 3, *src, 0, 0, 3, 3, COLORONCOLOR);
    StretchBlt(*dst, 0, 0, 3, 3, *src, 0, 0, 0, 0, COLORONCOLOR);
    StretchBlt(*dst, 0, 0, INT_MIN, INT_MIN, *src, 0, 0, INT_MIN, INT_MIN, COLORONCOLOR);
    EXPECT_EQ(Count(*dst, kUnset), 25);
}

TEST(RasterStretchBlt, HugeSizesCostOnlyVisiblePixels) {
    const auto src = Encoded(64, 48);
    struct Case {
        int x, y, w, h, sx, sy, sw, sh;
    };
    const Case cases[] = {
        {0, 0, INT_MAX, INT_MAX, 0, 0, 64, 48},                    // enormous enlargement
        {-1000000000, -5, INT_MAX, 40, 3, 2, 50, 30},              // visible part in the middle
        {INT_MIN, 0, INT_MAX, 10, 0, 0, 64, 48},                   // ends just left of the surface
        {0, 0, 40, 30, INT_MIN, INT_MIN, INT_MAX, INT_MAX},        // enormous source shrink
        {0, 0, 40, 30, -1000000000, 0, INT_MAX, 48},               // source surface in the middle
        {0, 0, 1, 1, 0, 0, INT_MAX, INT_MAX},                      // everything onto one pixel
        {INT_MAX - 3, INT_MAX - 3, INT_MAX, INT_MAX, 0, 0, 5, 5},  // off the far corner
        {-3, -3, INT_MAX, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        for (int mode : {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR}) {
            auto got = MakeSurface(40, 30, kUnset);
            StretchBlt(*got, c.x, c.y, c.w, c.h, *src, c.sx, c.sy, c.sw, c.sh, mode);
            if (mode == COLORONCOLOR) continue;  // the reference scans whole groups when picking
            auto want = MakeSurface(40, 30, kUnset);
            ReferenceStretch(*want, c.x, c.y, c.w, c.h, *src, c.sx, c.sy, c.sw, c.sh, mode);
            ASSERT_EQ(got->pixels(), want->pixels())
                << c.x << "," << c.y << " " << c.w << "x" << c.h << " from " << c.sx << "," << c.sy << " "
                << c.sw << "x" << c.sh;
        }
    }
    // A full-width source row shrunk onto one pixel.
    auto wide = MakeSurface(Surface::kMaxDimension, 1, kWhite);
    wide->set(Surface::kMaxDimension - 2, 0, kBlack);
    auto one = MakeSurface(1, 1, kUnset);
    StretchBlt(*one, 0, 0, 1, 1, *wide, 0, 0, Surface::kMaxDimension, 1, BLACKONWHITE);
    EXPECT_EQ(one->at(0, 0), kBlack);
}

TEST(RasterStretchBlt, WithinOneSurface) {
    auto s = Encoded(12, 8);
    const auto snapshot = Encoded(12, 8);
    auto want = Encoded(12, 8);
    StretchBlt(*s, 2, 1, 9, 6, *s, 0, 0, 12, 8, BLACKONWHITE);
    ReferenceStretch(*want, 2, 1, 9, 6, *snapshot, 0, 0, 12, 8, BLACKONWHITE);
    EXPECT_EQ(s->pixels(), want->pixels());

    auto t = Encoded(12, 8);
    auto want2 = Encoded(12, 8);
    StretchBlt(*t, 0, 0, 12, 8, *t, 3, 2, 5, 4, COLORONCOLOR);
    ReferenceStretch(*want2, 0, 0, 12, 8, *snapshot, 3, 2, 5, 4, COLORONCOLOR);
    EXPECT_EQ(t->pixels(), want2->pixels());
}

}  // namespace
}  // namespace gdi::test
