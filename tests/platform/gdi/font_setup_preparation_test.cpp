// Fonts asked for while the font set-up runs, or while it waits for them,
// are matched and their glyphs rendered on its thread; they draw what fonts
// rendered on the drawing thread draw.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/gdi/text.h"

namespace {

using gdi::text::GetFontCacheStats;
using gdi::text::ResolveFont;

LOGFONTA Describe(const char* face, int height) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

gdi::SurfacePtr White() {
    auto surface = gdi::Surface::Create(400, 60);
    surface->Fill(0xFFFFFF);
    return surface;
}

// The text drawn black on white with its baseline at y = 40.
gdi::SurfacePtr Drawn(const gdi::text::SizedFont& font, const std::string& text) {
    auto surface = White();
    font.Draw(*surface, 4, 40 - font.ascent(), text, 0x000000);
    return surface;
}

TEST(FontSetUpPreparation, MatchesOnTheSetUpsThreadWhatIsAskedBeforeItEnds) {
    // Faces and sizes no other test of this program asks for.
    const LOGFONTA early = Describe("DejaVu Serif", -27);
    const LOGFONTA other = Describe("DejaVu Sans Mono", -19);
    const LOGFONTA late = Describe("DejaVu Sans", -23);
    const std::string text = "Thank you, Quit 0123";

    gdi::text::StartFontSetup(/*preparation_due=*/true);
    // Returns once fontconfig is set up, whichever thread did it; the job
    // then waits for the fonts due.
    const int matches_at_setup = GetFontCacheStats().fontconfig_matches;
    gdi::text::PrepareDuringFontSetup({{early, text}});
    // Waits for the set-up's job, then matches `other` here.
    ASSERT_NE(ResolveFont(other), nullptr);
    const int matches_after_job = GetFontCacheStats().fontconfig_matches;
    EXPECT_EQ(matches_after_job, matches_at_setup + 2);

    // `early` was matched by the job: asking for it matches nothing more.
    const auto prepared = ResolveFont(early);
    ASSERT_NE(prepared, nullptr);
    EXPECT_EQ(GetFontCacheStats().fontconfig_matches, matches_after_job);

    // Asked for after the job ended: not matched until it is used.
    gdi::text::PrepareDuringFontSetup({{late, text}});
    ASSERT_NE(ResolveFont(other), nullptr);
    EXPECT_EQ(GetFontCacheStats().fontconfig_matches, matches_after_job);
    ASSERT_NE(ResolveFont(late), nullptr);
    EXPECT_EQ(GetFontCacheStats().fontconfig_matches, matches_after_job + 1);

    // The same face at the same pixel size, as a cell height: a font of its
    // own, whose glyphs this thread renders.
    std::shared_ptr<const gdi::text::SizedFont> here;
    for (int cell = 27; cell < 60 && !here; ++cell) {
        auto font = ResolveFont(Describe("DejaVu Serif", cell));
        if (font && font->ppem() == prepared->ppem()) here = font;
    }
    ASSERT_NE(here, nullptr);
    ASSERT_NE(here.get(), prepared.get());
    const auto from_setup = Drawn(*prepared, text);
    EXPECT_NE(from_setup->pixels(), White()->pixels()) << "the text drew nothing";
    EXPECT_EQ(from_setup->pixels(), Drawn(*here, text)->pixels());
}

}  // namespace
