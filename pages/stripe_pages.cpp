#include "app/main_frame.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "pages/stripe_page_layout.h"
#include "platform/gdi/dc_scope.h"

namespace {

constexpr int kDownArrowSlot = 0;
constexpr int kUpArrowSlot = 1;
// The arrows' source rectangles leave out their bitmaps' two rightmost columns.
constexpr int kDownArrowSourceWidth = 20, kDownArrowSourceHeight = 26;
constexpr int kUpArrowSourceWidth = 22, kUpArrowSourceHeight = 27;

}  // namespace

void CMainFrame::RenderPitchPage() {
    RenderStripePage(PitchPageLayout());
}

void CMainFrame::RenderPhasePage() {
    RenderStripePage(PhasePageLayout());
}

void CMainFrame::RenderStripePage(const StripePageLayout& layout) {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    const int F = FontHeightTable[ResolutionClass];
    const StripeIconRow& icons = layout.icons[ResolutionClass];

    CBrush boxBrush(RGB(255, 255, 255));
    CPen boxPen(PS_SOLID, 0, RGB(0, 0, 0));
    auto titleFont = MakePageFont(ResolutionClass <= 1 ? F - 8 : F, kBold);
    auto labelFont = MakePageFont(F - 22, kBold);
    auto bodyFont = MakePageFont(F - 22, kRegular);

    const int X0 = Trunc(W * layout.labelX);
    const int Y1 = Trunc(H * 0.1464), Y2 = Trunc(H * 0.2294), Y3 = Trunc(H * 0.2783), Y4 = Trunc(H * 0.747);
    const int LS = Trunc(H * 0.0341);
    const StripeBoxEdges box = layout.boxEdges(W, X0);

    ClearPage();
    StripePattern();

    CDC iconDC;
    iconDC.CreateCompatibleDC(&dc);

    const gdi::SavedDC saved(dc);
    dc.SelectObject(&boxBrush);
    dc.SelectObject(titleFont.get());
    dc.SelectObject(&boxPen);

    // Opaque, so the title cuts a white band out of the stripes.
    dc.SetBkMode(OPAQUE);
    DrawCenteredText(layout.title, H * 0.0488);
    dc.SetBkMode(TRANSPARENT);

    // The step 2 box, drawn over the frame, splits it into the boxes of steps 1 to 3.
    dc.Rectangle(box.left, Y1 - Trunc(H * 0.0048828125), box.right, Y3 + Trunc(H * 0.0732421875));
    dc.Rectangle(box.left, Y1 + Trunc(H * 0.0732421875), box.right, Y2 + Trunc(H * 0.043));
    dc.Rectangle(box.left, Y4 - Trunc(H * 0.0048828125), box.right, Y4 + Trunc(H * 0.0390625));
    dc.Rectangle(0, H - Trunc(H * 0.14), W, H);

    dc.SelectObject(labelFont.get());
    DrawTextAt("Step 1: ", X0, Y1);
    DrawTextAt("Step 2: ", X0, Y2);
    DrawTextAt("Step 3: ", X0, Y3);
    DrawTextAt("Step 4: ", X0, Y4);
    LastTextExtent = dc.GetTextExtent("Step 1: ");
    const int XT = X0 + LastTextExtent.cx;

    dc.SelectObject(bodyFont.get());
    DrawTextAt(layout.body[0], XT, Y1);
    DrawTextAt(layout.body[1], X0, Y1 + LS);
    DrawTextAt(layout.body[2], XT, Y2);
    DrawTextAt(layout.body[3], XT, Y3);
    DrawTextAt(layout.body[4], X0, Y3 + LS);
    DrawTextAt(layout.body[5], XT, Y4);

    // Fixed fractions of the screen, not measured gaps: each icon meets its
    // run of blanks only as far as the font's metrics put it there.
    iconDC.SelectObject(&IconSlot[kDownArrowSlot]);
    StretchIcon(W * icons.downStep2.x, H * icons.downStep2.y, W * icons.down.w, H * icons.down.h,
                kDownArrowSourceWidth, kDownArrowSourceHeight, &iconDC);
    StretchIcon(W * icons.downStep3.x, H * icons.downStep3.y, W * icons.down.w, H * icons.down.h,
                kDownArrowSourceWidth, kDownArrowSourceHeight, &iconDC);
    iconDC.SelectObject(&IconSlot[layout.thirdIconSlot]);
    StretchIcon(W * icons.third.x, H * icons.third.y, W * layout.thirdIcon.w, H * layout.thirdIcon.h,
                layout.thirdIconSourceWidth, layout.thirdIconSourceHeight, &iconDC);
    iconDC.SelectObject(&IconSlot[kUpArrowSlot]);
    StretchIcon(W * icons.up.x, H * icons.up.y, W * icons.upSize.w, H * icons.upSize.h, kUpArrowSourceWidth,
                kUpArrowSourceHeight, &iconDC);

    iconDC.DeleteDC();
}
