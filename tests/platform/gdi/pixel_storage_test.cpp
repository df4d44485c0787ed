// New surfaces are all zero without a pass that writes them, whatever the
// memory held before: small surfaces come from the heap, full-screen ones
// from mappings of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/gdi/surface.h"

namespace {

bool AllZero(const gdi::Surface& s) {
    const gdi::PixelVector& p = s.pixels();
    return std::all_of(p.begin(), p.end(), [](gdi::Pixel v) { return v == 0; });
}

TEST(PixelStorage, NewSurfacesAreZeroEvenWhereMemoryWasUsedBefore) {
    // Sizes around the point where surfaces get mappings of their own, and
    // full screens; each size is made, dirtied and dropped several times.
    const std::vector<std::pair<int, int>> sizes = {{1, 1},      {3, 7},       {640, 480},  {1024, 512},
                                                    {1024, 513}, {1920, 1080}, {3840, 2160}};
    for (const auto& [w, h] : sizes) {
        for (int round = 0; round < 3; ++round) {
            auto s = gdi::Surface::Create(w, h);
            ASSERT_TRUE(s);
            ASSERT_EQ(s->pixels().size(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
            EXPECT_TRUE(AllZero(*s)) << w << "x" << h << " round " << round;
            std::fill(s->pixels().begin(), s->pixels().end(), gdi::Pixel{0xFFFFFF});
        }
    }
}

TEST(PixelStorage, EveryPixelOfALargeSurfaceHoldsWhatIsWritten) {
    auto s = gdi::Surface::Create(3840, 2160);
    ASSERT_TRUE(s);
    for (int y = 0; y < s->height(); ++y) {
        gdi::Pixel* row = s->row(y);
        for (int x = 0; x < s->width(); ++x) row[x] = static_cast<gdi::Pixel>(y * 4096 + x) & 0xFFFFFF;
    }
    for (int y = 0; y < s->height(); y += 97) {
        for (int x = 0; x < s->width(); x += 13) {
            ASSERT_EQ(s->at(x, y), static_cast<gdi::Pixel>(y * 4096 + x) & 0xFFFFFF) << x << "," << y;
        }
    }
    EXPECT_EQ(s->at(3839, 2159), static_cast<gdi::Pixel>(2159 * 4096 + 3839) & 0xFFFFFF);
}

TEST(PixelStorage, CopiesAreIndependentAndEqual) {
    auto a = gdi::Surface::Create(1920, 1080);
    auto b = gdi::Surface::Create(1920, 1080);
    ASSERT_TRUE(a && b);
    a->set(5, 7, 0x123456);
    a->set(1919, 1079, 0xABCDEF);
    b->pixels() = a->pixels();
    EXPECT_EQ(b->pixels(), a->pixels());
    a->set(5, 7, 0);
    EXPECT_EQ(b->at(5, 7), 0x123456u);
    EXPECT_EQ(b->at(1919, 1079), 0xABCDEFu);
}

TEST(PixelStorage, EmptySurfacesHaveNoPixels) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {0, 100}, {100, 0}}) {
        auto s = gdi::Surface::Create(w, h);
        ASSERT_TRUE(s);
        EXPECT_TRUE(s->pixels().empty());
    }
}

}  // namespace
