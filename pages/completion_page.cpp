#include "app/main_frame.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "platform/gdi/dc_scope.h"

namespace {

// The completion fonts shrink from F only on the two smallest classes.
int CompletionFontHeight(int resolutionClass, int F) {
    switch (resolutionClass) {
        case 0:
            return F - 10;
        case 1:
            return F - 8;
        case 2:
            return F - 6;
        default:
            return F;
    }
}

}  // namespace

void CMainFrame::RenderCompletionPage() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    const int height = CompletionFontHeight(ResolutionClass, FontHeightTable[ResolutionClass]);

    auto regularFont = MakePageFont(height, kRegular);
    auto boldFont = MakePageFont(height, kBold);

    ClearPage();

    // No text colour is set here: the standing colour is black on every path.
    const gdi::SavedDC saved(dc);
    CBrush frameBrush(RGB(255, 255, 255));
    CPen framePen(PS_SOLID, 0, RGB(0, 0, 0));
    dc.SelectObject(&frameBrush);
    dc.SelectObject(regularFont.get());
    dc.SelectObject(&framePen);

    dc.Rectangle(Trunc(W * 0.1406), Trunc(H * 0.1953), Trunc(W * 0.8593), Trunc(H * 0.5859));

    DrawCenteredText("Congratulations!!!  You have optimized the", Trunc(H * 0.2441));
    DrawCenteredText("performance of your Corvane Flat Panel LCD.", Trunc(H * 0.302734375));
    DrawCenteredText("Press \"Finish\" to return to the main screen.", Trunc(H * 0.361328125));
    dc.SelectObject(boldFont.get());
    DrawCenteredText("Thank you for choosing CORVANE.", Trunc(H * 0.4882));
}
