#include "app/main_frame.h"
#include "display/recommended_modes.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "platform/gdi/dc_scope.h"

namespace {

void SetButtonVisible(ImageButton& button, bool visible) {
    if (button.GetSafeHwnd()) button.ShowWindow(visible ? SW_SHOWNORMAL : SW_HIDE);
}

}  // namespace

void CMainFrame::UpdateResolutionPanel() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H, R = ScreenMetrics.RefreshRate;
    const int F = FontHeightTable[ResolutionClass];

    const gdi::SavedDC saved(dc);
    CBrush white(RGB(255, 255, 255));
    CPen thick(PS_SOLID, 3, RGB(0, 0, 0));
    dc.SelectObject(&white);
    dc.SelectObject(&thick);

    const int xm = (Trunc(W * 0.390625) + Trunc(W * 0.703125)) / 2;
    const int yC = Trunc(H * 0.39);
    const int yR = Trunc(H * 0.511);

    DrawSizeChart();

    auto drawCentred = [&dc, xm](const std::string& text, int y) {
        const SIZE extent = dc.GetTextExtent(text);
        dc.TextOut(xm - extent.cx / 2, y, text);
    };

    auto italic = MakePageFont(F - 18, kItalic);
    dc.SelectObject(italic.get());
    drawCentred("Current Resolution:", yC);
    auto boldItalic = MakePageFont(F - 18, kBoldItalic);
    dc.SelectObject(boldItalic.get());
    drawCentred("Recommended Resolution:", yR);

    const std::string current = CurrentModeText(W, H, R);
    const std::string recommended = RecommendedModeText(PanelSize, R);
    if (current == recommended) {
        dc.SetTextColor(RGB(0, 180, 0));
        SetButtonVisible(ChangeResolutionButton, false);
        ModeMatchesRecommendation = true;
    } else {
        dc.SetTextColor(RGB(200, 0, 0));
        SetButtonVisible(ChangeResolutionButton, true);
        ModeMatchesRecommendation = false;
    }
    if (PanelSize == -1) SetButtonVisible(ChangeResolutionButton, false);

    auto regular = MakePageFont(F - 18, kRegular);
    dc.SelectObject(regular.get());
    drawCentred(current, Trunc(H * 0.0488 + yC));
    dc.SetTextColor(RGB(0, 0, 255));
    dc.SelectObject(boldItalic.get());
    drawCentred(recommended, Trunc(H * 0.0488 + yR));
    dc.SetTextColor(RGB(0, 0, 0));
}
