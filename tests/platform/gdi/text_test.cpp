#include "platform/gdi/text.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <climits>
#include <cstring>
#include <string>

namespace gdi::text {
namespace {

LOGFONTA Font(const char* face, int height, int weight = FW_NORMAL, bool italic = false) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

std::shared_ptr<const SizedFont> Resolve(const char* face, int height, int weight = FW_NORMAL,
                                         bool italic = false) {
    auto font = ResolveFont(Font(face, height, weight, italic));
    EXPECT_NE(font, nullptr) << face << " " << height;
    return font;
}

constexpr const char* kLiberation = "/usr/share/fonts/truetype/liberation2/";

// Independent reference: FreeType directly on the file, hinted advance rounded up.
struct Reference {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    explicit Reference(const std::string& file, int ppem) {
        EXPECT_EQ(FT_Init_FreeType(&lib), 0);
        EXPECT_EQ(FT_New_Face(lib, (std::string(kLiberation) + file).c_str(), 0, &face), 0);
        if (face) FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
    }
    ~Reference() {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
    int advance(char32_t cp) const {
        FT_Load_Char(face, cp, FT_LOAD_DEFAULT);
        return static_cast<int>((face->glyph->advance.x + 63) / 64);
    }
};

// ---- matching ---------------------------------------------------------------

TEST(TextMatch, TimesNewRomanIsLiberationSerifInAllFourStyles) {
    struct Case {
        int weight;
        bool italic;
        const char* style;
    } cases[] = {{FW_NORMAL, false, "Regular"},
                 {FW_BOLD, false, "Bold"},
                 {FW_NORMAL, true, "Italic"},
                 {FW_BOLD, true, "Bold Italic"}};
    for (const Case& c : cases) {
        auto f = Resolve("Times New Roman", 26, c.weight, c.italic);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->family(), "Liberation Serif");
        EXPECT_EQ(f->style(), c.style);
    }
}

TEST(TextMatch, WeightZeroIsRegularAnd600IsBold) {
    EXPECT_EQ(Resolve("Times New Roman", 20, FW_DONTCARE)->style(), "Regular");
    EXPECT_EQ(Resolve("Times New Roman", 20, 599)->style(), "Regular");
    EXPECT_EQ(Resolve("Times New Roman", 20, 600)->style(), "Bold");
}

TEST(TextMatch, RealBoldFaceHasRealBoldAdvances) {
    // The real LiberationSerif-Bold.ttf, not an emboldened regular (that would add 1 px each).
    auto bold = Resolve("Times New Roman", 26, FW_BOLD);
    Reference ref("LiberationSerif-Bold.ttf", bold->ppem());
    for (char c : std::string("Step 1: Wm")) {
        EXPECT_EQ(bold->advance(static_cast<unsigned char>(c)), ref.advance(static_cast<unsigned char>(c)))
            << c;
    }
}

TEST(TextMatch, BoldWithoutABoldFaceIsSynthetic) {
    // Droid Sans Fallback has no bold face: synthetic bold adds 1 px to each advance.
    auto regular = Resolve("Droid Sans Fallback", 20, FW_NORMAL);
    auto bold = Resolve("Droid Sans Fallback", 20, FW_BOLD);
    if (regular->family() != "Droid Sans Fallback") GTEST_SKIP() << "font not installed";
    EXPECT_EQ(bold->family(), regular->family());
    EXPECT_EQ(bold->ppem(), regular->ppem());
    for (char c : std::string("Ab1 ")) {
        const auto u = static_cast<unsigned char>(c);
        EXPECT_EQ(bold->advance(u), regular->advance(u) + 1) << c;
    }
    auto a = Surface::Create(40, 30), b = Surface::Create(40, 30);
    regular->Draw(*a, 2, 2, "l", 0x00FFFFFF);
    bold->Draw(*b, 2, 2, "l", 0x00FFFFFF);
    auto ink = [](const Surface& s) {
        long sum = 0;
        for (Pixel p : s.pixels()) sum += p & 0xFF;
        return sum;
    };
    EXPECT_GT(ink(*b), ink(*a));
}

TEST(TextMatch, UnknownFaceFallsBackAndDraws) {
    auto f = Resolve("No Such Face Corvane", 20);
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->family().empty());
    EXPECT_GT(f->Measure("Hello").cx, 0);
    auto s = Surface::Create(100, 40);
    f->Draw(*s, 2, 2, "Hello", 0x000000FF);
    int ink = 0;
    for (Pixel p : s->pixels()) ink += p != 0;
    EXPECT_GT(ink, 0);
}

TEST(TextMatch, EmptyAndUnterminatedFaceNames) {
    auto empty = Resolve("", 20);
    ASSERT_NE(empty, nullptr);
    EXPECT_GT(empty->Measure("x").cx, 0);
    LOGFONTA lf = Font("", 20);
    std::memset(lf.lfFaceName, 'A', LF_FACESIZE);  // no terminator
    EXPECT_NE(ResolveFont(lf), nullptr);
    std::memset(lf.lfFaceName, 0x9F, LF_FACESIZE);  // cp1252 bytes become UTF-8
    EXPECT_NE(ResolveFont(lf), nullptr);
}

TEST(TextMatch, RepeatedResolvesHitTheCaches) {
    const LOGFONTA lf = Font("Times New Roman", 26, FW_BOLD);
    auto first = ResolveFont(lf);
    ASSERT_NE(first, nullptr);
    first->Measure("Step 1: ");
    const FontCacheStats before = GetFontCacheStats();
    for (int i = 0; i < 100; ++i) {
        auto again = ResolveFont(lf);
        EXPECT_EQ(again.get(), first.get());
        again->Measure("Step 1: ");
    }
    const FontCacheStats after = GetFontCacheStats();
    EXPECT_EQ(after.fontconfig_matches, before.fontconfig_matches);
    EXPECT_EQ(after.files_opened, before.files_opened);
}

TEST(TextMatch, SameFileOpenedOnceForDifferentNamesAndSizes) {
    Resolve("Times New Roman", 12);
    const FontCacheStats before = GetFontCacheStats();
    // Same file through another name and other heights: fontconfig runs once, no file opens.
    auto a = Resolve("Liberation Serif", 33);
    auto b = Resolve("Liberation Serif", -40);
    auto c = Resolve("Times New Roman", 77);
    const FontCacheStats after = GetFontCacheStats();
    EXPECT_EQ(after.fontconfig_matches, before.fontconfig_matches + 1);
    EXPECT_EQ(after.files_opened, before.files_opened);
    EXPECT_NE(a.get(), b.get());
}

// ---- metrics ------------------------------------------------------------------

TEST(TextMetrics, CellHeightsOfTheSerifFace) {
    // Liberation Serif: upem 2048, Windows ascent 1825, descent 443.
    struct Case {
        int height, ppem, ascent, descent;
    } cases[] = {{12, 11, 10, 2}, {20, 18, 16, 4}, {24, 22, 20, 5}};
    for (const Case& c : cases) {
        auto f = Resolve("Times New Roman", c.height);
        EXPECT_EQ(f->ppem(), c.ppem) << c.height;
        EXPECT_EQ(f->ascent(), c.ascent) << c.height;
        EXPECT_EQ(f->descent(), c.descent) << c.height;
        EXPECT_EQ(f->height(), c.ascent + c.descent);
    }
}

TEST(TextMetrics, WinMetricsOfTheInstalledFaces) {
    // The metric tests above hold only if the files carry these numbers.
    for (const char* file : {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf"}) {
        Reference ref(file, 12);
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ref.face, FT_SFNT_OS2));
        ASSERT_NE(os2, nullptr);
        EXPECT_EQ(ref.face->units_per_EM, 2048);
        EXPECT_EQ(os2->usWinAscent, 1825) << file;
        EXPECT_EQ(os2->usWinDescent, 443) << file;
    }
}

TEST(TextMetrics, Height26IsCell26) {
    // ppem = round(2048*26/2268) = round(23.48) = 23, and round(2268*23/2048) = 25 <= 26 keeps it;
    // y_scale = round(23*64*65536/2048) = 47104; ascent = (round(1825*47104/65536) + 32) >> 6
    // = (1312 + 32) >> 6 = 21; descent = (round(443*47104/65536) + 32) >> 6 = (318 + 32) >> 6 = 5.
    // Scaling straight to whole pixels would give 20 + 5 = 25: this is the size where the two differ.
    for (int weight : {FW_NORMAL, FW_BOLD}) {
        auto f = Resolve("Times New Roman", 26, weight);
        EXPECT_EQ(f->ppem(), 23);
        EXPECT_EQ(f->ascent(), 21);
        EXPECT_EQ(f->descent(), 5);
        EXPECT_EQ(f->Measure("Step 1: ").cy, 26);
    }
}

TEST(TextMetrics, NegativeHeightIsEmHeight) {
    auto f = Resolve("Times New Roman", -23);
    EXPECT_EQ(f->ppem(), 23);
    EXPECT_EQ(f.get(), Resolve("Times New Roman", -23).get());
    EXPECT_EQ(f->height(), 26);  // same ppem as the +26 cell above
}

TEST(TextMetrics, ZeroHeightUsesCell16) {
    auto zero = Resolve("Times New Roman", 0);
    auto sixteen = Resolve("Times New Roman", 16);
    EXPECT_EQ(zero->ppem(), sixteen->ppem());
    EXPECT_EQ(zero->height(), sixteen->height());
}

TEST(TextMetrics, AbsurdHeightsAreClamped) {
    for (int h : {INT_MIN, INT_MAX, -100000, 100000, 2001, -2001, 1, -1}) {
        auto f = Resolve("Times New Roman", h);
        ASSERT_NE(f, nullptr) << h;
        EXPECT_GE(f->ppem(), 1) << h;
        EXPECT_LE(f->ppem(), 2000) << h;
        EXPECT_LE(f->height(), 2600) << h;
        EXPECT_GE(f->Measure("W").cx, 1) << h;
    }
    EXPECT_EQ(Resolve("Times New Roman", INT_MIN).get(), Resolve("Times New Roman", -2000).get());
    EXPECT_EQ(Resolve("Times New Roman", INT_MAX).get(), Resolve("Times New Roman", 2000).get());
}

// ---- measuring -------------------------------------------------------------

TEST(TextMeasure, StepOneIsTheSumOfIntegerAdvances) {
    for (auto [weight, file] : {std::pair{FW_NORMAL, "LiberationSerif-Regular.ttf"},
                                std::pair{FW_BOLD, "LiberationSerif-Bold.ttf"}}) {
        auto f = Resolve("Times New Roman", 26, weight);
        Reference ref(file, 23);
        int expected = 0;
        int sum = 0;
        for (char c : std::string("Step 1: ")) {
            expected += ref.advance(static_cast<unsigned char>(c));
            sum += f->advance(static_cast<unsigned char>(c));
        }
        EXPECT_EQ(f->Measure("Step 1: ").cx, expected) << file;
        EXPECT_EQ(sum, expected);
        EXPECT_GT(expected, 60);  // sanity: eight glyphs at 23 ppem
    }
}

TEST(TextMeasure, BoldIsWiderThanRegular) {
    const char* text = "Adjust the horizontal size";
    EXPECT_GT(Resolve("Times New Roman", 26, FW_BOLD)->Measure(text).cx,
              Resolve("Times New Roman", 26, FW_NORMAL)->Measure(text).cx);
}

TEST(TextMeasure, EmptyStringHasCellHeight) {
    auto f = Resolve("Times New Roman", 20);
    EXPECT_EQ(f->Measure(""), (SIZE{0, f->height()}));
}

TEST(TextMeasure, Cp1252HighBytes) {
    auto f = Resolve("Times New Roman", 20);
    Reference ref("LiberationSerif-Regular.ttf", f->ppem());
    EXPECT_EQ(f->advance(0x80), ref.advance(0x20AC));  // euro
    EXPECT_EQ(f->advance(0x97), ref.advance(0x2014));  // em dash
    EXPECT_EQ(f->advance(0xE9), ref.advance(0x00E9));  // e acute: Latin-1
    EXPECT_GT(f->advance(0x97), f->advance('-'));
}

TEST(TextMeasure, HugeStringSaturates) {
    auto f = Resolve("Times New Roman", -2000);
    const std::string text(2'000'000, 'W');
    EXPECT_EQ(f->Measure(text).cx, INT_MAX);
}

// ---- drawing ---------------------------------------------------------------

constexpr Pixel kBackground = 0x00336699;

SurfacePtr Filled(int w, int h, Pixel p) {
    auto s = Surface::Create(w, h);
    for (Pixel& q : s->pixels()) q = p;
    return s;
}

TEST(TextDraw, InkStaysInsideTheCell) {
    auto f = Resolve("Times New Roman", 26);
    auto s = Filled(60, 60, kBackground);
    const int x = 10, y = 15;
    f->Draw(*s, x, y, "H", 0);
    int ink = 0;
    for (int py = 0; py < s->height(); ++py) {
        for (int px = 0; px < s->width(); ++px) {
            if (s->at(px, py) == kBackground) continue;
            ++ink;
            EXPECT_GE(px, x);
            EXPECT_LT(px, x + f->advance('H'));
            EXPECT_GE(py, y);
            EXPECT_LT(py, y + f->ascent());  // 'H' sits on the baseline
        }
    }
    EXPECT_GT(ink, 30);
    // Cap height of Liberation Serif is 1341/2048 em: the stems reach near the top of it.
    const int baseline = y + f->ascent();
    bool stem_at_baseline = false;
    for (int px = x; px < x + f->advance('H'); ++px) stem_at_baseline |= s->at(px, baseline - 1) == 0;
    EXPECT_TRUE(stem_at_baseline);
}

TEST(TextDraw, DescenderGoesBelowBaseline) {
    auto f = Resolve("Times New Roman", 26);
    auto s = Filled(40, 40, kBackground);
    f->Draw(*s, 5, 5, "p", 0);
    const int baseline = 5 + f->ascent();
    int below = 0;
    for (int py = baseline; py < 40; ++py)
        for (int px = 0; px < 40; ++px) below += s->at(px, py) != kBackground;
    EXPECT_GT(below, 3);
    for (int py = 5 + f->height() + 1; py < 40; ++py)
        for (int px = 0; px < 40; ++px) EXPECT_EQ(s->at(px, py), kBackground);
}

TEST(TextDraw, BlendKeepsBackgroundAndReachesTextColour) {
    auto f = Resolve("Times New Roman", 40);
    auto s = Filled(80, 60, kBackground);
    const Pixel color = 0x00F01020;
    f->Draw(*s, 4, 4, "I", color);
    int full = 0, partial = 0;
    for (Pixel p : s->pixels()) {
        if (p == color) {
            ++full;
        } else if (p != kBackground) {
            ++partial;
            // Every channel lies between background and text colour.
            for (int shift : {16, 8, 0}) {
                const int b = (kBackground >> shift) & 0xFF, c = (color >> shift) & 0xFF,
                          v = (p >> shift) & 0xFF;
                EXPECT_GE(v, std::min(b, c));
                EXPECT_LE(v, std::max(b, c));
            }
        }
        EXPECT_EQ(p >> 24, 0u);
    }
    EXPECT_GT(full, 20);    // the stem is fully covered
    EXPECT_GT(partial, 0);  // antialiased edges
}

TEST(TextDraw, BlendMatchesTheFormula) {
    // Half coverage over a known background: dst + (c - dst) * a / 255, rounded.
    auto f = Resolve("Times New Roman", 40);
    auto ink = Filled(80, 60, 0x00000000);
    f->Draw(*ink, 4, 4, "o", 0x00FFFFFF);  // coverage shows as grey level
    auto s = Filled(80, 60, kBackground);
    f->Draw(*s, 4, 4, "o", 0x00000000);
    int checked = 0;
    for (int i = 0; i < 80 * 60; ++i) {
        const int a = static_cast<int>(ink->pixels()[i] & 0xFF);
        for (int shift : {16, 8, 0}) {
            const int d = (kBackground >> shift) & 0xFF;
            const int expected = d - (d * a + 127) / 255;
            EXPECT_EQ(static_cast<int>((s->pixels()[i] >> shift) & 0xFF), expected);
        }
        checked += a > 0 && a < 255;
    }
    EXPECT_GT(checked, 0);
}

TEST(TextDraw, DrawingTwiceDarkensPartialPixelsOnly) {
    auto f = Resolve("Times New Roman", 20);
    auto once = Filled(60, 30, 0x00FFFFFF);
    auto twice = Filled(60, 30, 0x00FFFFFF);
    f->Draw(*once, 2, 2, "Ab", 0);
    f->Draw(*twice, 2, 2, "Ab", 0);
    f->Draw(*twice, 2, 2, "Ab", 0);
    for (int i = 0; i < 60 * 30; ++i) {
        EXPECT_LE(twice->pixels()[i], once->pixels()[i]);
        if (once->pixels()[i] == 0x00FFFFFF) {
            EXPECT_EQ(twice->pixels()[i], 0x00FFFFFFu);
        }
    }
}

TEST(TextDraw, PenAdvancesByIntegerAdvances) {
    auto f = Resolve("Times New Roman", 26);
    auto pair = Filled(100, 40, kBackground);
    f->Draw(*pair, 3, 4, "AB", 0);
    auto split = Filled(100, 40, kBackground);
    f->Draw(*split, 3, 4, "A", 0);
    f->Draw(*split, 3 + f->advance('A'), 4, "B", 0);
    EXPECT_EQ(pair->pixels(), split->pixels());
}

TEST(TextDraw, PartlyOutsideIsClipped) {
    auto f = Resolve("Times New Roman", 26);
    auto whole = Filled(100, 70, kBackground);
    f->Draw(*whole, 20, 20, "Wg", 0);
    // The same text drawn on a 40x35 window whose origin is (30, 28) of the big one.
    auto part = Filled(40, 35, kBackground);
    f->Draw(*part, 20 - 30, 20 - 28, "Wg", 0);
    for (int py = 0; py < 35; ++py)
        for (int px = 0; px < 40; ++px) EXPECT_EQ(part->at(px, py), whole->at(px + 30, py + 28));
}

TEST(TextDraw, FarCoordinatesAndEmptySurfaces) {
    auto f = Resolve("Times New Roman", 26);
    auto s = Filled(50, 50, kBackground);
    const std::string long_text(10000, 'W');
    for (int x : {INT_MIN, INT_MIN + 1, -100000, -5, 1000000, INT_MAX - 1, INT_MAX}) {
        for (int y : {INT_MIN, -30, 10, 1000000, INT_MAX}) {
            f->Draw(*s, x, y, long_text, 0);
            f->Draw(*s, x, y, "", 0);
        }
    }
    // Only runs that actually reach the surface draw (a long run from far left can).
    auto clean = Filled(50, 50, kBackground);
    f->Draw(*clean, INT_MAX, 10, long_text, 0);
    f->Draw(*clean, 10, INT_MAX, long_text, 0);
    f->Draw(*clean, 10, INT_MIN, long_text, 0);
    for (Pixel p : clean->pixels()) EXPECT_EQ(p, kBackground);
    auto empty = Surface::Create(0, 0);
    f->Draw(*empty, 0, 0, "Hello", 0);
    auto huge = Resolve("Times New Roman", INT_MAX);
    f->Draw(*s, -100, -100, "Wg", 0);
    huge->Draw(*s, -100, -100, "Wg\x80\x97", 0);
    huge->Draw(*s, -1500, -1500, "Wg", 0);
}

TEST(TextDraw, EveryByteDrawsWithoutCrashing) {
    auto f = Resolve("Times New Roman", 14);
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    auto s = Filled(4000, 20, kBackground);
    f->Draw(*s, 0, 0, all, 0);
    EXPECT_EQ(f->Measure(all).cx, [&] {
        int sum = 0;
        for (int c = 0; c < 256; ++c) sum += f->advance(static_cast<unsigned char>(c));
        return sum;
    }());
}

}  // namespace
}  // namespace gdi::text
