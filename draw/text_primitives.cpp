#include "app/main_frame.h"
#include "draw/layout.h"
#include "platform/gdi/dc_scope.h"

void CMainFrame::ClearPage() {
    CBrush white(RGB(255, 255, 255));
    const gdi::Selected<CBrush> brush(BackBuffer.dc, &white);
    BackBuffer.dc.PatBlt(0, 0, ScreenMetrics.W, ScreenMetrics.H, PATCOPY);
}

void CMainFrame::DrawCenteredText(std::string text, double y) {
    const SIZE extent = BackBuffer.dc.GetTextExtent(text);
    LastTextExtent = extent;
    BackBuffer.dc.TextOut((ScreenMetrics.W - extent.cx) / 2, Trunc(y), text);
}

void CMainFrame::DrawTextAt(std::string text, double x, double y) {
    BackBuffer.dc.TextOut(Trunc(x), Trunc(y), text);
}
