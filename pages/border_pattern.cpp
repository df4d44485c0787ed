#include "app/main_frame.h"
#include "platform/gdi/dc_scope.h"

void CMainFrame::BorderPattern() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    // Wide strokes are centred on their paths, so each edge shows a band.
    const struct {
        int width;
        POINT from, to;
    } lines[] = {
        {6, {1, 1}, {1, H}},          // left
        {6, {W - 1, H}, {W - 1, 1}},  // right
        {7, {1, 1}, {W, 1}},          // top
        {7, {1, H - 1}, {W, H - 1}},  // bottom
    };
    for (const auto& line : lines) {
        CPen pen(PS_SOLID, line.width, RGB(0, 255, 0));
        const gdi::Selected<CPen> selected(dc, &pen);
        dc.MoveTo(line.from.x, line.from.y);
        dc.LineTo(line.to.x, line.to.y);
    }
}
