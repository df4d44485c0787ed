#include "app/main_frame.h"
#include "draw/font_table.h"
#include "draw/layout.h"
#include "platform/gdi/dc_scope.h"

namespace {

enum IconRow { kRowY2, kRowY3, kRowY4 };

struct CenteringIcon {
    int slot;
    int sourceWidth, sourceHeight;
    IconRow row;
    double x[6];  // left, fraction of W, by resolution class
    double d[6];  // top offset from the row, fraction of H
    double w[3];  // width, fraction of W: class 0, class 1, classes 2 to 5
    double h[3];  // height, fraction of H, the same way
};

// In drawing order. The arrows' source rectangles leave out their bitmaps'
// two rightmost columns. Class 2's up-arrow offset really is one digit longer.
constexpr CenteringIcon kIcons[] = {
    {0,
     20,
     26,
     kRowY2,
     {0.4203, 0.4425, 0.4394, 0.454, 0.448, 0.434},
     {-0.0084, 0.0016, 0.004102, 0.004102, 0.004102, 0.008},
     {0.03, 0.02, 0.015625},
     {0.04, 0.03, 0.025390625}},
    {0,
     20,
     26,
     kRowY3,
     {0.5, 0.5225, 0.5322, 0.5365, 0.52725, 0.52},
     {-0.01, 0, 0.003477, 0.003477, 0.003477, 0.008},
     {0.03, 0.02, 0.015625},
     {0.04, 0.03, 0.025390625}},
    {2,
     56,
     33,
     kRowY2,
     {0.6484, 0.6687, 0.663, 0.68125, 0.6662, 0.647},
     {-0.006, -0.006, -0.006, -0.006, -0.006, 0},
     {0.04375, 0.04375, 0.04375},
     {0.032226, 0.032226, 0.032226}},
    {3,
     56,
     33,
     kRowY4,
     {0.3625, 0.375, 0.375, 0.384375, 0.3738, 0.37},
     {-0.005, -0.005, -0.005, -0.005, -0.005, 0},
     {0.04375, 0.04375, 0.04375},
     {0.032226, 0.032226, 0.032226}},
    {1,
     22,
     27,
     kRowY3,
     {0.4093, 0.4287, 0.4384, 0.44, 0.4375, 0.429},
     {-0.0059, 0.003477, 0.0034777, 0.003477, 0.003477, 0.008},
     {0.03, 0.02, 0.01875},
     {0.04, 0.03, 0.025390625}},
};

}  // namespace

void CMainFrame::RenderCenteringPage() {
    CDC& dc = BackBuffer.dc;
    const int W = ScreenMetrics.W, H = ScreenMetrics.H;
    const int F = FontHeightTable[ResolutionClass];
    const int sizeColumn = ResolutionClass < 2 ? ResolutionClass : 2;

    auto labelFont = MakePageFont(F - 22, kBold);
    auto bodyFont = MakePageFont(F - 22, kRegular);
    auto titleFont = MakePageFont(ResolutionClass <= 1 ? F - 8 : F, kBold);
    const int X0 = Trunc(W * 0.07);
    const int Y1 = Trunc(H * 0.1), Y2 = Trunc(H * 0.19), Y3 = Trunc(H * 0.28), Y4 = Trunc(H * 0.71),
              Y5 = Trunc(H * 0.8);
    const int LS = Trunc(H * 0.039);

    ClearPage();
    BorderPattern();

    const gdi::SavedDC saved(dc);
    dc.SelectObject(titleFont.get());
    DrawCenteredText("Picture Centering", Trunc(H * 0.03));

    dc.SelectObject(labelFont.get());
    DrawTextAt("Step 1: ", X0, Y1);
    DrawTextAt("Step 2: ", X0, Y2);
    DrawTextAt("Step 3: ", X0, Y3);
    DrawTextAt("Step 4: ", X0, Y4);
    DrawTextAt("Step 5: ", X0, Y5);
    LastTextExtent = dc.GetTextExtent("Step 1: ");
    const int XT = X0 + LastTextExtent.cx;

    // The runs of blanks are the icons' gaps.
    dc.SelectObject(bodyFont.get());
    DrawTextAt("Verify that a green line is showing at the top, bottom, left and right edges of the", XT, Y1);
    DrawTextAt("screen. If not, then go to Step 2, otherwise select NEXT below.", X0, Y1 + LS);
    DrawTextAt("Press the MENU button, use the     down arrow to select          H-Center adjustment,", XT,
               Y2);
    DrawTextAt("then press the OK button on the monitor.", X0, Y2 + LS);
    DrawTextAt("Adjust image position using the     up and     down arrows so the left and right green ", XT,
               Y3);
    DrawTextAt("lines are both visible, then press the OK button, followed by MENU.", X0, Y3 + LS);
    DrawTextAt("Repeat Steps 2 and 3 for          V-Center adjustment to make sure the top and bottom", XT,
               Y4);
    DrawTextAt("green lines are both visible.", X0, Y4 + LS);
    DrawTextAt("Once vertical and horizontal positioning adjustments are complete, select NEXT below", XT,
               Y5);

    CDC iconDC;
    iconDC.CreateCompatibleDC(&dc);
    const int rows[] = {Y2, Y3, Y4};
    for (const CenteringIcon& icon : kIcons) {
        iconDC.SelectObject(&IconSlot[icon.slot]);
        // The row and the offset are summed before the one truncation.
        StretchIcon(W * icon.x[ResolutionClass], rows[icon.row] + H * icon.d[ResolutionClass],
                    W * icon.w[sizeColumn], H * icon.h[sizeColumn], icon.sourceWidth, icon.sourceHeight,
                    &iconDC);
    }

    iconDC.DeleteDC();
}
