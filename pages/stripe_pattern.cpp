#include <algorithm>
#include <cstdint>

#include "app/main_frame.h"
#include "platform/gdi/dc_scope.h"

void CMainFrame::StripePattern() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;

    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    const gdi::Selected<CPen> selected(dc, &pen);
    // Lines past the largest possible surface paint nothing; stopping there
    // keeps an absurd width from spinning.
    const std::int64_t lastX = std::min<std::int64_t>(W, gdi::Surface::kMaxDimension + 1);
    for (std::int64_t x = 0; x <= lastX; x += 2) {
        dc.MoveTo(static_cast<int>(x), 0);
        dc.LineTo(static_cast<int>(x), H);
    }
}
