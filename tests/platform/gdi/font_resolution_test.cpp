// A font is matched when it is first drawn or measured with, not when it is
// made, and then draws exactly what a font matched at once draws.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"

namespace {

LOGFONTA Describe(const char* face, int height, int weight) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

TEST(FontResolution, MatchedAtFirstUseThenDrawsAsAFontMatchedAtOnce) {
    // A name no other test asks for, so its match is not cached yet.
    const LOGFONTA lf = Describe("Liberation Mono", 31, FW_BOLD);
    CFont font;
    const gdi::text::FontCacheStats made_before = gdi::text::GetFontCacheStats();
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    EXPECT_EQ(gdi::text::GetFontCacheStats().fontconfig_matches, made_before.fontconfig_matches);

    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, 200, 60));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bitmap);
    dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    const SIZE extent = dc.GetTextExtent("Pitch 17\"");
    EXPECT_EQ(gdi::text::GetFontCacheStats().fontconfig_matches, made_before.fontconfig_matches + 1);
    ASSERT_TRUE(dc.TextOut(3, 5, "Pitch 17\""));

    const auto matched = gdi::text::ResolveFont(lf);
    ASSERT_NE(matched, nullptr);
    EXPECT_EQ(extent.cx, matched->Measure("Pitch 17\"").cx);
    auto expected = gdi::Surface::Create(200, 60);
    matched->DrawText(expected.get(), 3, 5, "Pitch 17\"", 0xFFFFFF, nullptr);
    ASSERT_NE(expected->pixels(), gdi::Surface::Create(200, 60)->pixels()) << "the text drew nothing";
    EXPECT_EQ(bitmap.GetSafeHandle()->pixels(), expected->pixels());
    EXPECT_EQ(gdi::text::GetFontCacheStats().fontconfig_matches, made_before.fontconfig_matches + 1);
}

}  // namespace
