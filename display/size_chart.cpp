#include "app/main_frame.h"
#include "display/recommended_modes.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "platform/gdi/dc_scope.h"

void CMainFrame::LayoutSizeChart() {
    static constexpr double kRowTops[5] = {0.38, 0.44, 0.5, 0.56, 0.62};
    static constexpr double kRowBottoms[5] = {0.44, 0.5, 0.56, 0.62, 0.68};
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    Chart.ChartLeftX = Trunc(W * 0.27734375);
    Chart.ChartRightX = Trunc(W * 0.390625);
    for (int n = 0; n < 5; ++n) {
        Chart.SizeRows[n] = {Chart.ChartLeftX, Trunc(H * kRowTops[n]), Chart.ChartRightX,
                             Trunc(H * kRowBottoms[n])};
    }
    Chart.ModeBox = {Chart.ChartRightX, Trunc(H * 0.38), Trunc(W * 0.703125), Trunc(H * 0.68)};
}

void CMainFrame::DrawSizeRow(const RECT& row, const std::string& label, bool highlighted) {
    CDC& dc = BackBuffer.dc;
    const int F = FontHeightTable[ResolutionClass];
    const gdi::SavedDC saved(dc);
    auto font = MakePageFont(F - 12, kBold);
    CBrush white(RGB(255, 255, 255));
    CPen thick(PS_SOLID, 3, RGB(0, 0, 0));
    dc.SelectObject(font.get());
    dc.SelectObject(&white);
    dc.SelectObject(&thick);

    const SIZE extent = dc.GetTextExtent(label);
    const int labelX = Trunc(ScreenMetrics.W * 0.313);
    const int labelY = (row.top + row.bottom) / 2 - extent.cy / 2;
    const RECT inset{row.left + 3, row.top + 3, row.right - 3, row.bottom - 3};

    if (!highlighted) {
        dc.Rectangle(row.left, row.top, row.right, row.bottom);
        CPen dots(PS_DOT, 1, RGB(0, 0, 0));
        dc.SelectObject(&dots);
        dc.Rectangle(inset.left, inset.top, inset.right, inset.bottom);
        dc.TextOut(labelX, labelY, label);
        return;
    }
    dc.SetTextColor(RGB(255, 255, 255));
    CBrush blue(RGB(0, 0, 255));
    dc.SelectObject(&blue);
    dc.Rectangle(row.left, row.top, row.right, row.bottom);
    CPen dots(PS_DOT, 1, RGB(255, 255, 255));
    dc.SelectObject(&dots);
    dc.Rectangle(inset.left, inset.top, inset.right, inset.bottom);
    dc.TextOut(labelX, labelY, label);
    dc.SetTextColor(RGB(0, 0, 0));
}

void CMainFrame::DrawSizeChart() {
    const RECT& box = Chart.ModeBox;
    BackBuffer.dc.Rectangle(box.left, box.top, box.right, box.bottom);
    for (int n = 0; n < 5; ++n) DrawSizeRow(Chart.SizeRows[n], kSizeRowLabels[n], false);
    if (PanelSize >= 1 && PanelSize <= 5) {
        DrawSizeRow(Chart.SizeRows[PanelSize - 1], kSizeRowLabels[PanelSize - 1], true);
    }
}

void CMainFrame::SelectPanelSizeAt(int x, int y) {
    if (CurrentPage != WizardPage::Resolution) return;
    const int old = PanelSize;
    if (Chart.ChartLeftX < x && x < Chart.ChartRightX) {
        for (int n = 0; n < 5; ++n) {
            if (Chart.SizeRows[n].top <= y && y < Chart.SizeRows[n].bottom) {
                PanelSize = n + 1;
                if (NextButton.GetSafeHwnd()) NextButton.EnableWindow(TRUE);
                break;
            }
        }
    }
    if (PanelSize != old) {
        // Only the chart and the panel beside it are drawn again: only
        // their rows need to reach the screen.
        UpdateResolutionPanel();
        CRect drawn;
        BackBuffer.dc.GetBoundsRect(&drawn, 0);
        InvalidateRect(&drawn, FALSE);
    }
}
