// Text over white takes whole groups of precomputed ink pixels; over anything
// else each pixel is blended. Both must give the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/blitter.h"
#include "platform/gdi/text.h"

namespace gdi::text {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;
constexpr Pixel kMarker = 0xFEFEFE;  // not white: forces the per-pixel blend around it

std::shared_ptr<const SizedFont> Font(int height, int weight = FW_NORMAL, bool italic = false) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    return ResolveFont(lf);
}

SurfacePtr White(int w, int h) {
    SurfacePtr s = Surface::Create(w, h);
    std::fill(s->pixels().begin(), s->pixels().end(), kWhite);
    return s;
}

// Every pixel but the markers must match between a plain white surface and
// one with a marker every `step` pixels.
void ExpectSameOffMarkers(const Surface& plain, const Surface& marked, int step) {
    int compared = 0, inked = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if ((y * plain.width() + x) % step == 0) continue;
            ASSERT_EQ(plain.at(x, y), marked.at(x, y)) << "pixel " << x << "," << y;
            ++compared;
            inked += plain.at(x, y) != kWhite;
        }
    }
    EXPECT_GT(inked, 100) << "the text drew too little to compare";
    EXPECT_GT(compared, 0);
}

struct Case {
    const char* name;
    int height, weight;
    bool italic;
    int x, y;  // place of the text; partly off the surface in some cases
    Pixel color;
    bool opaque;
};

TEST(TextBlend, GroupsOverWhiteMatchPixelBlends) {
    const Case cases[] = {
        {"black on white", 26, FW_NORMAL, false, 3, 2, 0x000000, false},
        {"opaque title", 26, FW_BOLD, false, 1, 0, 0x000000, true},
        {"red, off the left", 20, FW_NORMAL, false, -7, 5, 0xFF0000, false},
        {"blue, off the right and bottom", 31, FW_NORMAL, false, 60, 20, 0x0000FF, false},
        {"italic overlaps its neighbours", 26, FW_NORMAL, true, 2, 4, 0x208040, false},
    };
    const std::string text = "Wg|fj Step 1: AVA 0123 \"Pitch\"";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto font = Font(c.height, c.weight, c.italic);
        ASSERT_NE(font, nullptr);
        for (const int step : {5, 7, 13}) {
            SurfacePtr plain = White(173, 41);
            SurfacePtr marked = White(173, 41);
            for (std::size_t i = 0; i < marked->pixels().size(); i += static_cast<std::size_t>(step))
                marked->pixels()[i] = kMarker;
            const Pixel bk = kWhite;
            font->DrawText(plain.get(), c.x, c.y, text, c.color, c.opaque ? &bk : nullptr);
            font->DrawText(marked.get(), c.x, c.y, text, c.color, c.opaque ? &bk : nullptr);
            ExpectSameOffMarkers(*plain, *marked, step);
        }
    }
}

// Opaque text on white copies the ink of glyphs that land on the freshly
// filled cell; it must equal filling the cell and drawing transparently.
TEST(TextBlend, OpaqueWhiteCellEqualsFillThenTransparentText) {
    const Case cases[] = {
        {"upright", 26, FW_NORMAL, false, 3, 2, 0x000000, true},
        {"bold, off the left", 26, FW_BOLD, false, -9, 1, 0x000000, true},
        {"italic overlaps its neighbours", 26, FW_NORMAL, true, 2, 4, 0x208040, true},
        {"off the right and bottom", 31, FW_NORMAL, true, 60, 20, 0x0000FF, true},
    };
    const std::string text = "Wg|fj Step 1: AVA ffi 0123 \"Pitch\"";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto font = Font(c.height, c.weight, c.italic);
        ASSERT_NE(font, nullptr);
        SurfacePtr opaque = Surface::Create(173, 41);
        SurfacePtr by_hand = Surface::Create(173, 41);
        std::fill(opaque->pixels().begin(), opaque->pixels().end(), 0x808080);
        std::fill(by_hand->pixels().begin(), by_hand->pixels().end(), 0x808080);
        const Pixel bk = kWhite;
        const SIZE size = font->DrawText(opaque.get(), c.x, c.y, text, c.color, &bk);
        for (int y = std::max(c.y, 0); y < std::min(c.y + size.cy, by_hand->height()); ++y) {
            for (int x = std::max(c.x, 0); x < std::min(c.x + size.cx, by_hand->width()); ++x)
                by_hand->set(x, y, kWhite);
        }
        font->DrawText(by_hand.get(), c.x, c.y, text, c.color, nullptr);
        EXPECT_EQ(opaque->pixels(), by_hand->pixels());
        const auto inked = std::count_if(opaque->pixels().begin(), opaque->pixels().end(),
                                         [](Pixel p) { return p != kWhite && p != 0x808080; });
        EXPECT_GT(inked, 100) << "the text drew too little to compare";
    }
}

// Black text drawn again over its own ink blends its edges again, and a glyph
// too large to cache (a 400-pixel W) is antialiased like the others.
TEST(TextBlend, TextOverItsOwnInkBlendsAgain) {
    for (const int height : {26, 400}) {
        SCOPED_TRACE(height);
        auto font = Font(height);
        ASSERT_NE(font, nullptr);
        const SurfacePtr s = White(height * 2, height + 4);
        font->Draw(*s, 1, 1, "W", 0x000000);
        const PixelVector once = s->pixels();
        font->Draw(*s, 1, 1, "W", 0x000000);
        int edges = 0, darker = 0;
        for (std::size_t k = 0; k < once.size(); ++k) {
            const Pixel a = once[k], b = s->pixels()[k];
            edges += a != kWhite && a != 0;
            darker += (b & 0xFF) < (a & 0xFF);
            ASSERT_LE(b & 0xFF, a & 0xFF) << k;
            if (a == kWhite || a == 0) {
                ASSERT_EQ(a, b) << k;
            }
        }
        EXPECT_GT(edges, 20) << "antialiased edges";
        EXPECT_GT(darker, 20) << "edges blended again";
    }
}

// Black text over white with grey pixels strewn in it: each grey pixel under
// a glyph blends by the same coverage that makes the white ones the ink
// (255 - a per channel), however narrow or wide the glyph's rows are.
TEST(TextBlend, GreyPixelsInsideGlyphRowsBlendByTheirCoverage) {
    constexpr Pixel kGrey = 0x808080;
    constexpr std::size_t kEvery = 23;  // sparse: some rows have grey only inside, not at their ends
    // Spaced, so that no two glyphs touch a pixel and blend it twice.
    const std::string text = "W g | f j l | i : A V 0 1 2 3 \" P m";
    for (const int height : {9, 26, 48}) {
        SCOPED_TRACE(height);
        auto font = Font(height);
        ASSERT_NE(font, nullptr);
        SurfacePtr plain = White(640, height + 4);
        SurfacePtr strewn = White(640, height + 4);
        for (std::size_t k = 0; k < strewn->pixels().size(); k += kEvery) strewn->pixels()[k] = kGrey;
        font->DrawText(plain.get(), 1, 1, text, 0x000000, nullptr);
        font->DrawText(strewn.get(), 1, 1, text, 0x000000, nullptr);
        int blended = 0;
        for (std::size_t k = 0; k < plain->pixels().size(); ++k) {
            const Pixel ink = plain->pixels()[k];
            const bool grey = k % kEvery == 0;
            const Pixel want = grey ? Blend(kGrey, 0x000000, 255 - (ink & 0xFF)) : ink;
            ASSERT_EQ(strewn->pixels()[k], want) << "pixel " << k;
            blended += grey && ink != kWhite;
        }
        EXPECT_GT(blended, 10) << "too few grey pixels under the text";
    }
}

TEST(TextBlend, ChangingColourRebuildsTheInk) {
    auto font = Font(26);
    ASSERT_NE(font, nullptr);
    SurfacePtr red_first = White(120, 30);
    SurfacePtr red_after_blue = White(120, 30);
    SurfacePtr scratch = White(120, 30);
    font->Draw(*red_first, 2, 1, "Abc", 0xFF0000);
    font->Draw(*scratch, 2, 1, "Abc", 0x0000FF);
    font->Draw(*red_after_blue, 2, 1, "Abc", 0xFF0000);
    EXPECT_EQ(red_first->pixels(), red_after_blue->pixels());
    EXPECT_NE(red_first->pixels(), scratch->pixels());
}

TEST(TextBlend, DrawTextMeasuresLikeMeasure) {
    auto font = Font(26);
    ASSERT_NE(font, nullptr);
    for (const char* text : {"", " ", "Step 1: ", "Adjust the pitch \xE9\x80"}) {
        const SIZE measured = font->Measure(text);
        const SIZE drawn = font->DrawText(nullptr, 0, 0, text, 0, nullptr);
        EXPECT_EQ(measured.cx, drawn.cx) << text;
        EXPECT_EQ(measured.cy, drawn.cy) << text;
    }
}

}  // namespace
}  // namespace gdi::text
