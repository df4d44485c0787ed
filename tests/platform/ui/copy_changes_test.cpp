// Copying onto the screen while noting the changed pixels: the copy is exact
// and the noted rectangle is the smallest one holding every change. Copied
// without comparing, the area alone changes.
#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/damage.h"
#include "platform/ui/copy_changes.h"

namespace {

TEST(CopyChanges, NotesExactlyTheChangedPixelsAcrossBlockEdges) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 200; ++trial) {
        const int width = 1 + static_cast<int>(random() % 300);
        auto screen = gdi::Surface::Create(width + 10, 12);
        auto src = gdi::Surface::Create(width, 8);
        for (auto& p : screen->pixels()) p = 0x123456;
        for (auto& p : src->pixels()) p = 0x123456;
        // A few changed pixels, often at the edges of 64-pixel blocks and rows.
        gdi::Rect expected;
        const int changes = static_cast<int>(random() % 4);
        for (int k = 0; k < changes; ++k) {
            const int x =
                static_cast<int>(random() % 3 == 0 ? (random() % 2 ? 0 : width - 1) : random() % width);
            const int y = static_cast<int>(random() % 8);
            src->set(x, y, 0xABCDEF);
            expected = gdi::United(expected, {x + 5, y + 2, x + 6, y + 3});
        }
        const gdi::Rect area{5, 2, width + 5, 10};
        EXPECT_EQ(ui::detail::CopyChanges(*screen, area, *src, 5, 2), expected) << "trial " << trial;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(screen->at(x + 5, y + 2), src->at(x, y)) << x << "," << y;
        }
        EXPECT_EQ(screen->at(4, 2), 0x123456u) << "nothing outside the area";
        EXPECT_EQ(screen->at(width + 5, 2), 0x123456u);
    }
}

TEST(CopyChanges, CopyAllCopiesTheAreaAloneOverWhatTheScreenStillKeepsWaiting) {
    auto src = gdi::Surface::Create(30, 20);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 30; ++x) src->set(x, y, static_cast<gdi::Pixel>(y * 64 + x));
    }
    auto screen = gdi::Surface::Create(50, 40);
    // A fill and a column that the screen keeps waiting until its rows are used.
    screen->Fill(0x00FF00);
    screen->AddColumn(12, 0, 40, 0x0000FF);
    // The part of src from (3, 4) on, placed at (10, 7): src's origin lies at (7, 3).
    const gdi::Rect area{10, 7, 37, 23};
    ui::detail::CopyAll(*screen, area, *src, 7, 3);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 50; ++x) {
            const bool inside = x >= 10 && x < 37 && y >= 7 && y < 23;
            const gdi::Pixel expected = inside    ? static_cast<gdi::Pixel>((y - 3) * 64 + (x - 7))
                                        : x == 12 ? 0x0000FFu
                                                  : 0x00FF00u;
            ASSERT_EQ(screen->at(x, y), expected) << x << "," << y;
        }
    }
}

}  // namespace
