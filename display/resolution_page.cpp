#include "app/main_frame.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "platform/gdi/dc_scope.h"

void CMainFrame::RenderResolutionPage() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    const int F = FontHeightTable[ResolutionClass];

    ClearPage();
    const gdi::SavedDC saved(dc);

    auto title = MakePageFont(ResolutionClass <= 1 ? F - 6 : F, kBold);
    dc.SelectObject(title.get());
    DrawCenteredText("Adjusting Resolution", Trunc(H * 0.03));

    const int xs = Trunc(W * 0.07);
    const int y1 = Trunc(H * 0.1), y2 = Trunc(H * 0.2), y3 = Trunc(H * 0.8);

    auto step = MakePageFont(F - 22, kBold);
    dc.SelectObject(step.get());
    DrawTextAt("Step 1: ", xs, y1);
    DrawTextAt("Step 2: ", xs, y2);
    DrawTextAt("Step 3: ", xs, y3);
    LastTextExtent = dc.GetTextExtent("Step 1: ");
    const int xb = xs + LastTextExtent.cx;

    auto body = MakePageFont(F - 22, kRegular);
    dc.SelectObject(body.get());
    DrawTextAt("On the chart below, select the size of your Corvane Flat Panel LCD to verify that you", xb,
               y1);
    DrawTextAt("are currently running the recommended resolution.", xs, y1 + Trunc(H * 0.039));
    DrawTextAt("If the current resolution does not match the recommended resolution, select the ", xb, y2);
    DrawTextAt("\"Change to Recommended Resolution\" button, otherwise select NEXT below.", xs,
               Trunc(y2 + H * 0.039));
    DrawTextAt("Once current and recommended resolutions match, select NEXT below.", xb, y3);

    auto caption = MakePageFont(F - 16, kBoldItalic);
    dc.SelectObject(caption.get());
    dc.SetTextColor(RGB(255, 128, 0));
    DrawTextAt("Choose Your", Trunc(W * 0.1), Trunc(H * 0.45));
    DrawTextAt("Display Size", Trunc(W * 0.1), Trunc(H * 0.49));
    dc.SetTextColor(RGB(0, 0, 0));

    UpdateResolutionPanel();
}
