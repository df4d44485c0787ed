// The 4-bit BMP writer against the drawing layer's own BMP decoder.
#include "tools/resgen/bmp4_writer.h"

#include <gtest/gtest.h>

#include "platform/gdi/objects.h"
#include "tools/resgen/canvas.h"

namespace {

using resgen::PaletteIndex;

gdi::SurfacePtr Roundtrip(const gdi::Surface& s, resgen::PaletteMask mask = resgen::kAllColours) {
    const std::vector<std::uint8_t> bytes = resgen::EncodeBmp4(s, mask);
    CBitmap bitmap;
    if (!bitmap.LoadFromBmp(bytes.data(), bytes.size())) return nullptr;
    return bitmap.GetSafeHandle();
}

TEST(Bmp4Writer, PaletteColoursSurviveExactlyAtEveryRowPadding) {
    for (int width : {1, 2, 7, 8, 9, 17}) {
        SCOPED_TRACE(width);
        const int height = 3;
        gdi::SurfacePtr s = gdi::Surface::Create(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                s->set(x, y, gdi::ToPixel(resgen::kPalette[static_cast<std::size_t>((x * 5 + y * 3) % 16)]));
            }
        }
        const std::vector<std::uint8_t> bytes = resgen::EncodeBmp4(*s);
        const std::size_t row_bytes = static_cast<std::size_t>((width + 7) / 8 * 4);
        EXPECT_EQ(bytes.size(), 118 + row_bytes * height);
        const gdi::SurfacePtr back = Roundtrip(*s);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->width(), width);
        EXPECT_EQ(back->height(), height);
        EXPECT_EQ(back->pixels(), s->pixels());
    }
}

TEST(Bmp4Writer, OtherColoursBecomeTheNearestAllowedEntry) {
    gdi::SurfacePtr s = gdi::Surface::Create(3, 1);
    s->set(0, 0, 0xFAFAFA);  // near white
    s->set(1, 0, 0x820000);  // near maroon
    s->set(2, 0, 0x8080C0);  // navy blended half with white: grey unless grey is excluded
    gdi::SurfacePtr all = Roundtrip(*s);
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(all->at(1, 0), 0x800000u);
    EXPECT_EQ(all->at(2, 0), 0x808080u);

    const gdi::SurfacePtr two = Roundtrip(*s, resgen::MaskOf({resgen::kNavy, resgen::kWhite}));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->at(1, 0), 0x000080u);
    EXPECT_TRUE(two->at(2, 0) == 0x000080u || two->at(2, 0) == 0xFFFFFFu);
}

TEST(Bmp4Writer, ReportsAFileThatCannotBeWritten) {
    gdi::SurfacePtr s = gdi::Surface::Create(1, 1);
    std::string error;
    EXPECT_FALSE(resgen::WriteBmp4File("/nonexistent-dir/x.bmp", *s, resgen::kAllColours, &error));
    EXPECT_NE(error.find("/nonexistent-dir/x.bmp"), std::string::npos);
}

TEST(Canvas, PolygonsFillThePixelsWhoseCentresLieInside) {
    resgen::Canvas canvas(6, 5, RGB(255, 255, 255));
    const resgen::PointF rect[] = {{1, 1}, {4, 1}, {4, 3}, {1, 3}};
    resgen::FillPolygon(canvas.dc(), rect, RGB(0, 0, 0));
    const gdi::Surface& s = canvas.surface();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(s.at(x, y), inside ? 0u : 0xFFFFFFu) << x << "," << y;
        }
    }
    // A vertex on a pixel-centre row must not open a gap or a stray span.
    resgen::Canvas diamond(7, 7, RGB(255, 255, 255));
    const resgen::PointF pts[] = {{3.5, 0}, {7, 3.5}, {3.5, 7}, {0, 3.5}};
    resgen::FillPolygon(diamond.dc(), pts, RGB(0, 0, 0));
    for (int x = 0; x < 7; ++x) EXPECT_EQ(diamond.surface().at(x, 3), 0u) << x;
    EXPECT_EQ(diamond.surface().at(0, 0), 0xFFFFFFu);
}

}  // namespace
