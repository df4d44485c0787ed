// The scoped savers close their pair on every way out of a scope.
#include <gtest/gtest.h>

#include "platform/gdi/dc_scope.h"

namespace {

TEST(DcScope, SavedStateComesBackOnEveryExitEvenAfterInnerSaves) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CBrush blue(RGB(0, 0, 255));
    const HPEN stock_pen = dc.GetCurrentPen();
    auto draw = [&](bool leave_early) {
        const gdi::SavedDC saved(dc);
        dc.SelectObject(&red);
        dc.SetTextColor(RGB(1, 2, 3));
        if (leave_early) return;
        dc.SaveDC();  // an inner save left open is dropped with the outer one
        dc.SelectObject(&blue);
        dc.SetBkMode(TRANSPARENT);
    };
    for (bool early : {true, false}) {
        draw(early);
        EXPECT_EQ(dc.GetCurrentPen(), stock_pen) << early;
        EXPECT_EQ(dc.GetCurrentBrush()->color, RGB(255, 255, 255)) << early;
        EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0)) << early;
        EXPECT_EQ(dc.GetBkMode(), OPAQUE) << early;
        EXPECT_FALSE(dc.RestoreDC(-1)) << "no saved level is left behind";
    }
}

TEST(DcScope, SelectionPutsBackWhatItReplacedAndAFailedOneNothing) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 3, 2));
    CFont font;
    LOGFONTA lf{};
    lf.lfHeight = 12;
    font.CreateFontIndirect(&lf);
    const gdi::Surface* stock_bitmap = dc.surface();
    {
        const gdi::Selected<CBitmap> selected(dc, &bitmap);
        const gdi::Selected<CFont> font_selected(dc, &font);
        EXPECT_TRUE(selected);
        EXPECT_EQ(dc.surface()->width(), 3);
        EXPECT_EQ(dc.GetCurrentFont(), font.GetSafeHandle());
    }
    EXPECT_EQ(dc.surface(), stock_bitmap);
    ASSERT_NE(dc.GetCurrentFont(), nullptr);
    EXPECT_STREQ(dc.GetCurrentFont()->logfont.lfFaceName, "System") << "the system font is back";

    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    {
        CBitmap empty;
        const gdi::Selected<CBitmap> refused(dc, &empty);
        EXPECT_FALSE(refused);
        dc.SelectObject(&bitmap);  // whatever happens inside stays: nothing was replaced
    }
    EXPECT_EQ(dc.surface()->width(), 3);
    EXPECT_EQ(dc.GetCurrentPen(), red.GetSafeHandle());
}

}  // namespace
