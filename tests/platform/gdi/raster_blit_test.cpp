#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "platform/gdi/raster.h"
#include "tests/platform/gdi/pixel_test_util.h"

namespace gdi::test {
namespace {

using raster::BitBlt;

// A source whose pixel (x, y) holds 0x10000 + y * 256 + x, so copies show where they came from.
SurfacePtr Encoded(int w, int h) {
    auto s = MakeSurface(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) s->set(x, y, static_cast<Pixel>(0x10000 + y * 256 + x));
    }
    return s;
}

// Per-pixel reference: destination pixels in the rectangle whose source pixel exists get it.
void ReferenceBlit(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    if (w < 0 || h < 0) return;
    for (int Y = 0; Y < dst.height(); ++Y) {
        for (int X = 0; X < dst.width(); ++X) {
            const std::int64_t dx = static_cast<std::int64_t>(X) - x, dy = static_cast<std::int64_t>(Y) - y;
            if (dx < 0 || dy < 0 || dx >= w || dy >= h) continue;
            const std::int64_t cx = sx + dx, cy = sy + dy;
            if (cx < 0 || cy < 0 || cx >= src.width() || cy >= src.height()) continue;
            dst.set(X, Y, src.at(static_cast<int>(cx), static_cast<int>(cy)));
        }
    }
}

std::string Args(int x, int y, int w, int h, int sx, int sy) {
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h) +
           " from " + std::to_string(sx) + "," + std::to_string(sy);
}

TEST(RasterBitBlt, Inside) {
    auto src = MakeSurface(4, 3, kWhite);
    src->set(1, 1, kBlack);
    src->set(2, 1, kRed);
    src->set(1, 2, kBlue);
    auto dst = MakeSurface(6, 4, kGreen);
    BitBlt(*dst, 2, 1, 3, 2, *src, 1, 1);
    EXPECT_EQ(Picture(*dst), Lines({"------", "--#o.-", "--b..-", "------"}));
}

TEST(RasterBitBlt, ClippedToDestinationAndSourceOnAGrid) {
    const auto src = Encoded(5, 4);
    const int offsets[] = {-7, -2, -1, 0, 1, 3, 6};
    const int sizes[] = {0, 1, 3, 6, 9};
    for (int x : offsets) {
        for (int y : offsets) {
            for (int w : sizes) {
                for (int h : sizes) {
                    for (int sx : {-3, 0, 2, 5}) {
                        for (int sy : {-2, 0, 3}) {
                            auto got = MakeSurface(6, 5);
                            auto want = MakeSurface(6, 5);
                            BitBlt(*got, x, y, w, h, *src, sx, sy);
                            ReferenceBlit(*want, x, y, w, h, *src, sx, sy);
                            ASSERT_EQ(got->pixels(), want->pixels()) << Args(x, y, w, h, sx, sy);
                        }
                    }
                }
            }
        }
    }
}

TEST(RasterBitBlt, NegativeSizesDrawNothing) {
    const auto src = Encoded(5, 4);
    auto dst = MakeSurface(6, 5);
    BitBlt(*dst, 3, 3, -2, 2, *src, 0, 0);
    BitBlt(*dst, 3, 3, 2, -2, *src, 0, 0);
    BitBlt(*dst, 3, 3, INT_MIN, INT_MIN, *src, 0, 0);
    EXPECT_EQ(Count(*dst, kWhite), 30);
}

TEST(RasterBitBlt, ExtremeCoordinates) {
    const auto src = Encoded(5, 4);
    const int values[] = {INT_MIN, INT_MIN + 1, -1, 0, 2, INT_MAX - 1, INT_MAX};
    for (int x : values) {
        for (int w : {0, 1, 4, INT_MAX}) {
            for (int sx : values) {
                for (int y : {INT_MIN, 0, INT_MAX}) {
                    for (int sy : {INT_MIN, -1, 0, INT_MAX}) {
                        auto got = MakeSurface(6, 5);
                        auto want = MakeSurface(6, 5);
                        BitBlt(*got, x, y, w, INT_MAX, *src, sx, sy);
                        ReferenceBlit(*want, x, y, w, INT_MAX, *src, sx, sy);
                        ASSERT_EQ(got->pixels(), want->pixels()) << Args(x, y, w, INT_MAX, sx, sy);
                    }
                }
            }
        }
    }
    // The whole source lands at the origin whatever the requested size.
    auto dst = MakeSurface(6, 5);
    BitBlt(*dst, 0, 0, INT_MAX, INT_MAX, *src, 0, 0);
    EXPECT_EQ(dst->at(4, 3), src->at(4, 3));
    EXPECT_EQ(dst->at(5, 4), kWhite);
}

TEST(RasterBitBlt, OverlappingCopyWithinOneSurface) {
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            auto s = Encoded(7, 6);
            const auto snapshot = Encoded(7, 6);
            auto want = Encoded(7, 6);
            BitBlt(*s, 1 + dx, 1 + dy, 5, 4, *s, 1, 1);
            ReferenceBlit(*want, 1 + dx, 1 + dy, 5, 4, *snapshot, 1, 1);
            ASSERT_EQ(s->pixels(), want->pixels()) << dx << "," << dy;
        }
    }
}

}  // namespace
}  // namespace gdi::test
