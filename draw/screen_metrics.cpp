#include "app/main_frame.h"
#include "draw/font_table.h"

int ClassifyResolution(int width, int height) {
    static constexpr int kBounds[5][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    for (int c = 0; c < 5; ++c) {
        if (width <= kBounds[c][0] && height <= kBounds[c][1]) return c;
    }
    return 5;
}

void CMainFrame::MeasureScreen() {
    CClientDC client(this);
    ScreenMetrics.W = client.GetDeviceCaps(HORZRES);
    ScreenMetrics.H = client.GetDeviceCaps(VERTRES);
    ScreenMetrics.RefreshRate = client.GetDeviceCaps(VREFRESH);
    ResolutionClass = ClassifyResolution(ScreenMetrics.W, ScreenMetrics.H);
}
