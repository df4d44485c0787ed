// New surfaces are all zero without a pass that writes them, whatever the
// memory held before: small surfaces come from the heap, full-screen ones
// from mappings of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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

TEST(PixelStorage, ASurfaceOverTheCallersPixelsDrawsInThemAsTheyAre) {
    constexpr int kWidth = 40, kHeight = 30;
    std::vector<gdi::Pixel> memory(static_cast<std::size_t>(kWidth) * kHeight, 0x123456);
    memory[5] = 0xABCDEF;
    {
        auto s = gdi::Surface::CreateOver(memory.data(), kWidth, kHeight);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->pixels().data(), memory.data());
        EXPECT_EQ(s->at(5, 0), 0xABCDEFu);  // not zeroed
        EXPECT_EQ(s->at(6, 0), 0x123456u);
        // A run of columns over every row: the rows are not known to hold
        // anything, so what lies beside the columns stays.
        for (int x = 10; x < 20; ++x) s->AddColumn(x, 0, kHeight, 0xFF0000);
        EXPECT_EQ(s->at(9, 17), 0x123456u);
        EXPECT_EQ(s->at(15, 17), 0xFF0000u);
        EXPECT_EQ(memory[17 * kWidth + 15], 0xFF0000u);
        // A copy of its pixels has memory of its own.
        gdi::PixelVector copy = s->pixels();
        copy[0] = 0;
        EXPECT_EQ(memory[0], 0x123456u);
    }
    // The surface is gone and the memory is the caller's still.
    EXPECT_EQ(memory[17 * kWidth + 15], 0xFF0000u);
    EXPECT_EQ(gdi::Surface::CreateOver(nullptr, 4, 4), nullptr);
    std::string error;
    EXPECT_EQ(gdi::Surface::CreateOver(memory.data(), -1, 4, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
