// Lines of text kept whole and copied over white must give exactly the pixels
// of drawing them glyph by glyph, wherever they land and whatever lies under.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/text.h"
#include "platform/gdi/text_ink_rows.h"
#include "platform/gdi/text_line_ink.h"
#include "platform/gdi/vector_unit.h"

namespace gdi::text {
namespace {

constexpr Pixel kWhite = 0xFFFFFF;

std::shared_ptr<const SizedFont> Font(int height, bool italic = false) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfItalic = italic ? 1 : 0;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    return ResolveFont(lf);
}

enum class Under { kWhite, kOneDarkPixel, kGrey };

SurfacePtr Background(Under under) {
    SurfacePtr s = Surface::Create(211, 61);
    std::fill(s->pixels().begin(), s->pixels().end(), under == Under::kGrey ? 0xC0C0C0 : kWhite);
    if (under == Under::kOneDarkPixel) s->set(40, 17, 0x102030);
    return s;
}

struct Draw {
    const char* text;
    int x, y;
    Pixel color;
    bool opaque;
    Pixel bk;
};

// The same sequence of lines, each drawn three times (glyphs, composed,
// kept), with caching on and off.
PixelVector DrawAll(const SizedFont& font, Under under, const std::vector<Draw>& draws, bool caching) {
    SetLineInkCaching(caching);
    SurfacePtr s = Background(under);
    for (int pass = 0; pass < 3; ++pass) {
        for (const Draw& d : draws)
            font.DrawText(s.get(), d.x, d.y, d.text, d.color, d.opaque ? &d.bk : nullptr);
    }
    SetLineInkCaching(true);
    return s->pixels();
}

TEST(LineInk, KeptLinesGiveTheGlyphByGlyphPixels) {
    const std::vector<Draw> draws = {
        {"Step 1: Adjust the pitch", 3, 2, 0x000000, false, 0},
        {"Step 1: Adjust the pitch", 5, 30, 0x0000FF, false, 0},  // same line, other colour
        {"fj|Wg AVA ffi", -6, 12, 0x000000, false, 0},            // off the left
        {"Next \"Pitch\" 0123", 150, 45, 0x208040, false, 0},     // off the right and bottom
        {"Opaque on white", 20, 20, 0x000000, true, kWhite},      // lands on its own white cell
        {"Opaque on grey", 30, 8, 0x000000, true, 0xC0C0C0},      // cell not white
        {"Over the line before", 8, 6, 0x800000, false, 0},       // over ink already drawn
    };
    for (const bool italic : {false, true}) {
        auto font = Font(22, italic);
        ASSERT_NE(font, nullptr);
        for (const Under under : {Under::kWhite, Under::kOneDarkPixel, Under::kGrey}) {
            SCOPED_TRACE(testing::Message()
                         << "italic " << italic << ", background " << static_cast<int>(under));
            const PixelVector kept = DrawAll(*font, under, draws, true);
            const PixelVector glyphs = DrawAll(*font, under, draws, false);
            EXPECT_EQ(kept, glyphs);
            const auto inked =
                std::count_if(kept.begin(), kept.end(), [](Pixel p) { return p != kWhite && p != 0xC0C0C0; });
            EXPECT_GT(inked, 300) << "the text drew too little to compare";
        }
    }
}

// Over a page still waiting in the surface (a fill, a run of stripes, a
// grey box, lone columns): rows judged by the image they will hold must give
// the pixels of drawing glyph by glyph.
TEST(LineInk, OverRowsStillWaitingForTheirFill) {
    auto font = Font(22);
    ASSERT_NE(font, nullptr);
    const auto draw = [&](bool caching) {
        SetLineInkCaching(caching);
        SurfacePtr s = Surface::Create(240, 90);
        PixelVector out;
        for (int render = 0; render < 3; ++render) {
            s->Fill(kWhite);
            for (int x = 0; x < 240; x += 2) s->AddColumn(x, 50, 90, 0x000000);  // stripes below row 50
            const Surface& reader = *s;
            (void)reader.row(0);                // a read starts the rows waiting
            s->AddColumn(37, 0, 15, 0x0000FF);  // a column over waiting rows
            for (int y = 20; y < 30; ++y) std::fill_n(s->row(y) + 100, 40, 0xC0C0C0);  // a grey box
            font->DrawText(s.get(), 2, 2, "Step 1: Adjust the pitch", 0x000000, nullptr);
            font->DrawText(s.get(), 90, 14, "over the grey box", 0x000000, nullptr);
            font->DrawText(s.get(), 4, 40, "into the stripes", 0x800000, nullptr);
            font->DrawText(s.get(), 150, 2, "Wg fj", 0x000000, nullptr);
        }
        out = std::as_const(*s).pixels();
        SetLineInkCaching(true);
        return out;
    };
    const PixelVector kept = draw(true);
    EXPECT_EQ(kept, draw(false));
    EXPECT_GT(std::count(kept.begin(), kept.end(), Pixel{0x000000}), 500);
}

// A block of 8 x 4 whose ink is 1 to 32, glyphs covering all but the first column.
LineInk Numbered() {
    LineInk ink;
    ink.width = 8;
    ink.rows = 4;
    for (Pixel p = 1; p <= 32; ++p) ink.pixels.push_back(p);
    ink.inked.assign(4, ColumnSpan{1, 8});
    return ink;
}

TEST(LineInk, CopiesWhereTheInkLandsOnWhiteAndLeavesTheRestInBoxes) {
    const LineInk ink = Numbered();
    SurfacePtr s = Background(Under::kWhite);
    std::vector<Rect> left;
    EXPECT_FALSE(CopyLineInk(*s, -1, 0, ink, true, &left));
    EXPECT_FALSE(CopyLineInk(*s, 204, 0, ink, true, &left));
    EXPECT_FALSE(CopyLineInk(*s, 0, 58, ink, true, &left));
    EXPECT_TRUE(left.empty());

    // Under the block at 20,5: a dark pixel where no glyph lies (no matter),
    // and dark pixels at columns 23 and 25 of rows 6 and 7.
    s->set(20, 5, 0x000003);
    s->set(23, 6, 0x000001);
    s->set(25, 7, 0x000002);
    ASSERT_TRUE(CopyLineInk(*s, 20, 5, ink, false, &left));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0], (Rect{23, 6, 26, 8})) << "one box over both rows' dark columns";
    EXPECT_EQ(s->at(20, 5), 0x000003u) << "no glyph there: not written";
    EXPECT_EQ(s->at(21, 5), 2u);
    EXPECT_EQ(s->at(27, 8), 32u);
    EXPECT_EQ(s->at(22, 6), 11u) << "left of the box: copied";
    EXPECT_EQ(s->at(26, 7), 23u) << "right of the box: copied";
    EXPECT_EQ(s->at(23, 6), 0x000001u) << "inside the box: not written";
    EXPECT_EQ(s->at(24, 7), kWhite);
    EXPECT_EQ(s->at(24, 6), kWhite);

    left.clear();
    ASSERT_TRUE(CopyLineInk(*s, 20, 5, ink, true, &left));
    EXPECT_TRUE(left.empty()) << "known white: every row is copied";
    EXPECT_EQ(s->at(23, 6), 12u);
}

TEST(LineInk, FarApartPixelsToLeaveTakeBoxesOfTheirOwn) {
    LineInk ink;
    ink.width = 200;
    ink.rows = 3;
    ink.pixels.assign(600, 0x123456);
    ink.inked.assign(3, ColumnSpan{0, 200});
    SurfacePtr s = Background(Under::kWhite);
    s->set(2, 10, 0);    // row 0 of the block at 0,10: near the left
    s->set(190, 11, 0);  // row 1: near the right
    s->set(191, 12, 0);  // row 2: next to row 1's
    std::vector<Rect> left;
    ASSERT_TRUE(CopyLineInk(*s, 0, 10, ink, false, &left));
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], (Rect{2, 10, 3, 11}));
    EXPECT_EQ(left[1], (Rect{190, 11, 192, 13}));
    EXPECT_EQ(s->at(100, 11), 0x123456u);
    EXPECT_EQ(s->at(191, 11), kWhite) << "inside row 1's box";
}

// Black text's ink is kept as grey levels and widened as it is copied; over
// white, white levels are skipped, elsewhere every pixel is written.
TEST(LineInk, GreyLevelsWidenToTheSamePixelsInEveryVectorUnit) {
    LineInk ink;
    for (int k = 0; k < 45; ++k)
        ink.pixels.push_back(k % 3 == 0 ? kWhite : static_cast<Pixel>(k * 5) * 0x010101);
    KeepGreys(ink);
    ASSERT_EQ(ink.greys.size(), ink.pixels.size());
    constexpr Pixel kMarker = 0x123456;
    for (const VectorUnit unit : {VectorUnit::kWidest, VectorUnit::kPortable}) {
        UseVectorUnit(unit);
        // Every length from none to past two groups, at every start.
        for (std::size_t n = 0; n <= ink.greys.size(); ++n) {
            SCOPED_TRACE(testing::Message()
                         << "n " << n << (unit == VectorUnit::kPortable ? " portable" : ""));
            std::vector<Pixel> whole(n + 1, kMarker), skipping(n + 1, kMarker);
            StoreGreys(whole.data(), ink.greys.data(), n, /*over_white=*/false);
            StoreGreys(skipping.data(), ink.greys.data(), n, /*over_white=*/true);
            for (std::size_t k = 0; k < n; ++k) {
                EXPECT_EQ(whole[k], ink.pixels[k]) << k;
                EXPECT_EQ(skipping[k], ink.pixels[k] == kWhite ? kMarker : ink.pixels[k]) << k;
            }
            EXPECT_EQ(whole[n], kMarker) << "nothing past n is written";
            EXPECT_EQ(skipping[n], kMarker);
        }
    }
    UseVectorUnit(VectorUnit::kWidest);
    ink.pixels[7] = 0x102030;  // one coloured pixel: no levels kept
    KeepGreys(ink);
    EXPECT_TRUE(ink.greys.empty());
}

TEST(LineInk, CacheKeepsItsBudgetAndTheRecentLines) {
    LineInkCache cache;
    const std::size_t line_pixels = LineInkCache::kMaxLineBytes / sizeof(Pixel);
    const auto line = [&](Pixel fill) {
        LineInk ink;
        ink.width = static_cast<int>(line_pixels);
        ink.rows = 1;
        ink.pixels.assign(line_pixels, fill);
        return ink;
    };
    const std::size_t fits = LineInkCache::kBudgetBytes / LineInkCache::kMaxLineBytes;
    for (std::size_t i = 0; i < fits; ++i) ASSERT_NE(cache.Insert(std::to_string(i), 0, line(i)), nullptr);
    ASSERT_NE(cache.Find("0", 0), nullptr);  // now the most recent
    EXPECT_EQ(cache.Find("0", 1), nullptr) << "another colour is another line";
    ASSERT_NE(cache.Insert("new", 0, line(99)), nullptr);
    EXPECT_NE(cache.Find("0", 0), nullptr);
    EXPECT_EQ(cache.Find("1", 0), nullptr) << "the least recently used line makes room";
    EXPECT_EQ(cache.Find("new", 0)->pixels.front(), 99u);

    EXPECT_FALSE(cache.DrawnBefore("a line", 0));
    EXPECT_TRUE(cache.DrawnBefore("a line", 0));
    EXPECT_FALSE(cache.DrawnBefore("a line", 0xFF)) << "another colour is another line";

    LineInk too_big = line(1);
    too_big.pixels.push_back(1);
    EXPECT_EQ(cache.Insert("big", 0, std::move(too_big)), nullptr);
    EXPECT_EQ(cache.Find("big", 0), nullptr);
}

}  // namespace
}  // namespace gdi::text
