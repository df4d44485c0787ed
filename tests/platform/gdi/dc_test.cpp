// Device-context plumbing: selection, saved states, object lifetime, the
// trace, and surfaces/bitmaps at their limits.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "platform/gdi/dc.h"

namespace {

struct MemoryDC {
    CDC dc;
    CBitmap bitmap;
    HBITMAP old;
    MemoryDC(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bitmap);
    }
    gdi::Pixel at(int x, int y) const { return dc.surface()->at(x, y); }
};

TEST(DeviceContext, NewMemoryDcHasTheWindowsDefaults) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetStretchBltMode(), BLACKONWHITE);
    ASSERT_NE(dc.surface(), nullptr);
    EXPECT_EQ(dc.surface()->width(), 1);
    EXPECT_EQ(dc.GetCurrentPen()->width, 0);
    EXPECT_EQ(dc.GetCurrentBrush()->color, RGB(255, 255, 255));
}

TEST(DeviceContext, SelectReturnsThePreviousObjectAndRefusesEmptyOnes) {
    MemoryDC m(4, 4);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    HPEN stock = m.dc.SelectObject(&red);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(m.dc.GetCurrentPen()->color, RGB(255, 0, 0));
    EXPECT_EQ(m.dc.SelectObject(stock), red.GetSafeHandle());

    CBitmap empty;
    EXPECT_EQ(m.dc.SelectObject(&empty), nullptr);
    EXPECT_EQ(m.dc.surface(), m.bitmap.GetSafeHandle().get()) << "a failed selection changes nothing";
    CPen none;
    EXPECT_EQ(m.dc.SelectObject(&none), nullptr);

    // Only memory DCs take bitmaps.
    CDC window;
    window.AttachWindowSurface(gdi::Surface::Create(2, 2));
    CBitmap other;
    other.CreateCompatibleBitmap(&window, 2, 2);
    EXPECT_EQ(window.SelectObject(&other), nullptr);
}

TEST(DeviceContext, SaveAndRestoreBringBackObjectsColoursModesAndBitmap) {
    MemoryDC m(4, 4);
    CBrush blue(RGB(0, 0, 255));
    CBitmap second;
    second.CreateCompatibleBitmap(&m.dc, 2, 2);
    const int level = m.dc.SaveDC();
    EXPECT_EQ(level, 1);
    m.dc.SelectObject(&blue);
    m.dc.SetTextColor(RGB(1, 2, 3));
    m.dc.SetBkMode(TRANSPARENT);
    m.dc.SetBkColor(RGB(9, 9, 9));
    m.dc.SetStretchBltMode(COLORONCOLOR);
    m.dc.SelectObject(&second);
    m.dc.MoveTo(3, 3);
    EXPECT_EQ(m.dc.SaveDC(), 2);
    ASSERT_TRUE(m.dc.RestoreDC(level));
    EXPECT_EQ(m.dc.GetCurrentBrush()->color, RGB(255, 255, 255));
    EXPECT_EQ(m.dc.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(m.dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(m.dc.GetBkColor(), RGB(255, 255, 255));
    EXPECT_EQ(m.dc.GetStretchBltMode(), BLACKONWHITE);
    EXPECT_EQ(m.dc.surface(), m.bitmap.GetSafeHandle().get());
    EXPECT_EQ(m.dc.MoveTo(0, 0), (POINT{0, 0}));
    // Levels above the depth, zero, and an empty stack are refused.
    EXPECT_FALSE(m.dc.RestoreDC(1));
    EXPECT_FALSE(m.dc.RestoreDC(-1));
    EXPECT_FALSE(m.dc.RestoreDC(0));
    m.dc.SaveDC();
    m.dc.SaveDC();
    EXPECT_FALSE(m.dc.RestoreDC(3));
    EXPECT_TRUE(m.dc.RestoreDC(-2));
    EXPECT_FALSE(m.dc.RestoreDC(-1));
}

TEST(DeviceContext, ObjectsDestroyedWhileSelectedStayUsable) {
    MemoryDC m(8, 8);
    {
        CBrush green(RGB(0, 255, 0));
        m.dc.SelectObject(&green);
        CPen pen(PS_SOLID, 3, RGB(0, 0, 0));
        m.dc.SelectObject(&pen);
    }
    EXPECT_TRUE(m.dc.PatBlt(0, 0, 8, 8, PATCOPY));
    EXPECT_EQ(m.at(7, 7), 0x0000FF00u);
    EXPECT_TRUE(m.dc.Rectangle(1, 1, 7, 7));
    {
        CBitmap temp;
        temp.CreateCompatibleBitmap(&m.dc, 3, 3);
        m.dc.SelectObject(&temp);
    }
    EXPECT_TRUE(m.dc.PatBlt(0, 0, 3, 3, PATCOPY));
    EXPECT_EQ(m.dc.surface()->width(), 3);
}

TEST(DeviceContext, PatBltFlipsNegativeSizesAndIgnoresHugeOnes) {
    MemoryDC m(10, 10);
    m.dc.PatBlt(0, 0, 10, 10, PATCOPY);  // the stock white brush
    CBrush black(RGB(0, 0, 0));
    m.dc.SelectObject(&black);
    m.dc.PatBlt(5, 5, -3, -2, PATCOPY);  // [3, 6) x [4, 6)
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x < 6 && y >= 4 && y < 6;
            EXPECT_EQ(m.at(x, y) == 0, inside) << x << "," << y;
        }
    }
    EXPECT_TRUE(m.dc.PatBlt(INT_MIN, INT_MIN, INT_MAX, INT_MAX, PATCOPY));
    EXPECT_TRUE(m.dc.PatBlt(INT_MAX, INT_MAX, INT_MIN, INT_MIN, PATCOPY));
    EXPECT_FALSE(m.dc.PatBlt(0, 0, 1, 1, SRCCOPY)) << "only PATCOPY is a pattern operation";
}

TEST(DeviceContext, LinesStartAtTheCurrentPositionAndMoveIt) {
    MemoryDC m(8, 8);
    m.dc.PatBlt(0, 0, 8, 8, PATCOPY);
    EXPECT_EQ(m.dc.MoveTo(2, 1), (POINT{0, 0}));
    m.dc.LineTo(2, 5);  // down column 2, rows 1 to 4
    m.dc.LineTo(6, 5);  // then along row 5, columns 2 to 5
    EXPECT_EQ(m.dc.MoveTo(INT_MIN, INT_MAX), (POINT{6, 5}));
    m.dc.LineTo(INT_MIN, INT_MIN);  // wholly off the surface
    EXPECT_EQ(m.dc.MoveTo(7, 0), (POINT{INT_MIN, INT_MIN}));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inked = (x == 2 && y >= 1 && y <= 4) || (y == 5 && x >= 2 && x <= 5);
            EXPECT_EQ(m.at(x, y) == 0, inked) << x << "," << y;
        }
    }
}

TEST(DeviceContext, PenWidthAndBackgroundModeDecideWhatALinePaints) {
    // A two-pixel pen paints two pixels across, in the column batch or not.
    for (const bool batching : {false, true}) {
        MemoryDC m(8, 8);
        m.bitmap.GetSafeHandle()->SetColumnBatching(batching);
        m.dc.PatBlt(0, 0, 8, 8, PATCOPY);
        CPen wide(PS_SOLID, 2, RGB(0, 0, 0));
        m.dc.SelectObject(&wide);
        m.dc.MoveTo(3, 1);
        m.dc.LineTo(3, 7);
        m.dc.MoveTo(0, 5);
        m.dc.LineTo(2, 5);
        int column = 0, row = 0;
        for (int i = 0; i < 8; ++i) {
            column += m.at(i, 3) == 0;
            row += m.at(1, i) == 0;
        }
        EXPECT_EQ(column, 2) << batching;
        EXPECT_EQ(row, 2) << batching;
    }
    // Dots' gaps take the background colour only when it is opaque.
    for (const int mode : {OPAQUE, TRANSPARENT}) {
        MemoryDC m(8, 1);
        m.dc.PatBlt(0, 0, 8, 1, PATCOPY);
        CPen dots(PS_DOT, 1, RGB(0, 0, 0));
        m.dc.SelectObject(&dots);
        m.dc.SetBkMode(mode);
        m.dc.SetBkColor(RGB(255, 0, 0));
        m.dc.MoveTo(0, 0);
        m.dc.LineTo(8, 0);
        EXPECT_EQ(m.at(1, 0), 0u);
        EXPECT_EQ(m.at(4, 0), mode == OPAQUE ? gdi::ToPixel(RGB(255, 0, 0)) : gdi::kWhitePixel) << mode;
    }
}

TEST(DeviceContext, TraceRecordsCarryTheStateEachCallUsed) {
    MemoryDC m(20, 20);
    gdi::MemoryTrace trace;
    m.dc.SetTrace(&trace);
    CPen dot(PS_DOT, 1, RGB(255, 255, 255));
    CBrush blue(RGB(0, 0, 255));
    m.dc.SelectObject(&dot);
    m.dc.SelectObject(&blue);
    m.dc.Rectangle(5, 6, 2, 3);
    m.dc.MoveTo(0, 0);
    m.dc.LineTo(0, 20);
    m.dc.PatBlt(0, 0, 20, 20, PATCOPY);

    CDC src;
    src.CreateCompatibleDC(&m.dc);
    CBitmap icon;
    const HBITMAP pixels = gdi::Surface::Create(22, 26);
    pixels->resource_id = 143;
    icon.Attach(pixels);
    src.SelectObject(&icon);
    m.dc.StretchBlt(1, 2, 16, 19, &src, 0, 0, 22, 26, SRCCOPY);
    m.dc.BitBlt(0, 0, 3, 3, &src, 0, 0, SRCCOPY);

    ASSERT_EQ(trace.records.size(), 5u);
    const auto& rect = trace.records[0];
    EXPECT_EQ(rect.ToJson(),
              R"({"op":"rect","rect":[2,3,5,6],"pen":{"style":"dot","width":1,"color":"#ffffff"},)"
              R"("brush":"#0000ff"})");
    EXPECT_EQ(trace.records[1].ToJson(),
              R"({"op":"line","from":[0,0],"to":[0,20],"pen":{"style":"dot","width":1,"color":"#ffffff"}})");
    EXPECT_EQ(trace.records[2].ToJson(), R"({"op":"fill","rect":[0,0,20,20],"brush":"#0000ff"})");
    EXPECT_EQ(trace.records[3].ToJson(),
              R"({"op":"blit","dst":[1,2,16,19],"src":[0,0,22,26],"bitmap":143,"mode":"stretch"})");
    EXPECT_EQ(trace.records[4].Str("mode"), "copy");
    EXPECT_EQ(trace.records[4].Int("bitmap"), 143);
    CBitmap plain;
    plain.CreateCompatibleBitmap(&src, 2, 2);
    src.SelectObject(&plain);
    m.dc.BitBlt(0, 0, 2, 2, &src, 0, 0, SRCCOPY);
    EXPECT_EQ(trace.records.back().ToJson(),
              R"({"op":"blit","dst":[0,0,2,2],"src":[0,0,2,2],"bitmap":null,"mode":"copy"})");
}

TEST(DeviceContext, TextRecordsAndMeasurements) {
    MemoryDC m(200, 60);
    gdi::MemoryTrace trace;
    m.dc.SetTrace(&trace);
    LOGFONTA lf{};
    lf.lfHeight = 26;
    lf.lfWeight = FW_BOLD;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    m.dc.SelectObject(&font);
    m.dc.SetBkMode(TRANSPARENT);
    const SIZE size = m.dc.GetTextExtent("Step 1: ");
    m.dc.TextOut(3, 4, "Step 1: ");
    EXPECT_EQ(m.dc.GetTextExtent(""), (SIZE{0, size.cy}));
    ASSERT_EQ(trace.records.size(), 3u);
    const auto& text = trace.records[1];
    EXPECT_EQ(text.op(), "text");
    EXPECT_EQ(text.Str("face"), "Times New Roman");
    EXPECT_EQ(text.Int("height"), 26);
    EXPECT_EQ(text.Int("weight"), 700);
    EXPECT_EQ(text.Bool("italic"), false);
    EXPECT_EQ(text.Str("bkmode"), "transparent");
    EXPECT_EQ(text.Int("cx"), size.cx);
    EXPECT_EQ(text.Int("cy"), size.cy);
    EXPECT_GT(size.cx, 0);
    EXPECT_TRUE(size.cy == 26 || size.cy == 27);
}

TEST(DeviceContext, OpaqueTextFillsItsCellWithTheBackgroundColour) {
    MemoryDC m(200, 60);
    CBrush black(RGB(0, 0, 0));
    m.dc.SelectObject(&black);
    m.dc.PatBlt(0, 0, 200, 60, PATCOPY);
    LOGFONTA lf{};
    lf.lfHeight = 20;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    CFont font;
    font.CreateFontIndirect(&lf);
    m.dc.SelectObject(&font);
    m.dc.SetBkColor(RGB(255, 0, 0));
    m.dc.SetTextColor(RGB(255, 0, 0));
    const SIZE size = m.dc.GetTextExtent("Hi");
    m.dc.TextOut(10, 5, "Hi");
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool cell = x >= 10 && x < 10 + size.cx && y >= 5 && y < 5 + size.cy;
            if (cell) {
                EXPECT_EQ(m.at(x, y), 0x00FF0000u) << x << "," << y;
            } else if (x < 8 || x > 10 + size.cx + 2 || y < 5 || y >= 5 + size.cy) {
                EXPECT_EQ(m.at(x, y), 0u) << x << "," << y;
            }
        }
    }
}

TEST(DeviceContext, MissingFontDrawsNothingAndMeasuresZeroWithoutCrashing) {
    MemoryDC m(10, 10);
    CFont font;  // never created: selecting it fails, the stock font stays
    EXPECT_EQ(m.dc.SelectObject(&font), nullptr);
    EXPECT_TRUE(m.dc.TextOut(INT_MAX, INT_MIN, "overflowing"));
    EXPECT_TRUE(m.dc.TextOut(INT_MIN, INT_MAX, std::string(10000, 'W')));
}

TEST(Surfaces, SizesBeyondTheLimitAreRefusedWithAMessage) {
    std::string error;
    EXPECT_EQ(gdi::Surface::Create(16385, 1, &error), nullptr);
    EXPECT_NE(error.find("16384"), std::string::npos);
    EXPECT_EQ(gdi::Surface::Create(-1, 5), nullptr);
    EXPECT_EQ(gdi::Surface::Create(20000, 20000), nullptr);
    auto empty = gdi::Surface::Create(0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->pixels().empty());
    CBitmap huge;
    EXPECT_FALSE(huge.CreateCompatibleBitmap(nullptr, INT_MAX, INT_MAX));
    EXPECT_EQ(huge.Width(), 0);
}

// A 4-bit BMP of 3 x 2 with the 16-colour palette: row 0 black, white, red;
// row 1 all blue.
std::vector<std::uint8_t> FourBitBmp() {
    std::vector<std::uint8_t> b(14 + 40 + 64 + 8, 0);
    auto put32 = [&b](std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); };
    auto put16 = [&b](std::size_t at, std::uint16_t v) { std::memcpy(&b[at], &v, 2); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 14 + 40 + 64);
    put32(14, 40);
    put32(18, 3);
    put32(22, 2);
    put16(26, 1);
    put16(28, 4);
    put32(46, 16);
    const std::uint32_t palette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) put32(54 + 4 * static_cast<std::size_t>(i), palette[i]);
    // Rows are stored bottom-up, 4 bytes each.
    b[118] = 0xCC;  // bottom row: blue blue blue
    b[119] = 0xC0;
    b[122] = 0x0F;  // top row: black white red
    b[123] = 0x90;
    return b;
}

TEST(Bitmaps, FourBitBmpDecodesWithItsPaletteAndResourceNumber) {
    const auto bytes = FourBitBmp();
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromBmp(bytes.data(), bytes.size(), 171));
    EXPECT_EQ(bmp.Width(), 3);
    EXPECT_EQ(bmp.Height(), 2);
    const gdi::Surface& s = *bmp.GetSafeHandle();
    EXPECT_EQ(s.resource_id, 171);
    EXPECT_EQ(s.at(0, 0), 0x000000u);
    EXPECT_EQ(s.at(1, 0), 0xFFFFFFu);
    EXPECT_EQ(s.at(2, 0), 0xFF0000u);
    EXPECT_EQ(s.at(1, 1), 0x0000FFu);
}

TEST(Bitmaps, DamagedBytesLeaveTheBitmapEmpty) {
    auto bytes = FourBitBmp();
    CBitmap bmp;
    EXPECT_FALSE(bmp.LoadFromBmp(bytes.data(), 20));
    EXPECT_FALSE(bmp.LoadFromBmp(nullptr, 100));
    bytes[0] = 'X';
    EXPECT_FALSE(bmp.LoadFromBmp(bytes.data(), bytes.size()));
    EXPECT_EQ(bmp.GetSafeHandle(), nullptr);
}

}  // namespace
