// Every call of the writer clips to the surface, whatever its coordinates.
#include "platform/gdi/blitter.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

namespace gdi {
namespace {

TEST(Blitter, EveryCallClipsToTheSurface) {
    const std::vector<Pixel> source{10, 11, 12, 13, 14, 15, 16, 17};
    const struct {
        const char* name;
        std::function<void(Blitter&)> draw;
        std::function<Pixel(int x, int y)> expected;  // 0 where nothing is drawn
    } cases[] = {
        {"image row off the left", [&](Blitter& b) { b.ImageRow(-3, 1, source.data(), 8); },
         [](int x, int y) { return y == 1 ? Pixel(13 + x) : 0; }},
        {"image row off the right", [&](Blitter& b) { b.ImageRow(2, 2, source.data(), 8); },
         [](int x, int y) { return y == 2 && x >= 2 ? Pixel(8 + x) : 0; }},
        {"span across", [](Blitter& b) { b.Span(-5, 0, 7, 9); },
         [](int x, int y) { return y == 0 && x < 2 ? 9 : 0; }},
        {"vertical run past both ends", [](Blitter& b) { b.VerticalRun(4, INT_MIN, INT_MAX, 9); },
         [](int x, int) { return x == 4 ? 9 : 0; }},
        {"rectangle far out",
         [](Blitter& b) {
             b.FillRect({INT64_MIN / 2, 1, 3, INT64_MAX / 2}, 9);
         },
         [](int x, int y) { return x < 3 && y >= 1 ? 9 : 0; }},
        {"off the surface",
         [&](Blitter& b) {
             b.ImageRow(5, 0, source.data(), 8);
             b.Span(0, 3, 5, 9);
             b.VerticalRun(-1, 0, 3, 9);
         },
         [](int, int) { return 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SurfacePtr s = Surface::Create(5, 3);
        Blitter b(*s);
        c.draw(b);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) EXPECT_EQ(s->at(x, y), c.expected(x, y)) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace gdi
