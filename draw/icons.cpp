#include "app/main_frame.h"
#include "draw/layout.h"
#include "platform/ui/resources.h"

void CMainFrame::LoadIcons() {
    static constexpr int kIconResources[6] = {143, 145, 147, 172, 144, 146};
    for (int slot = 0; slot < 6; ++slot) ui::LoadBitmapResource(IconSlot[slot], kIconResources[slot]);
}

void CMainFrame::StretchIcon(double x, double y, double width, double height, int sourceWidth,
                             int sourceHeight, CDC* source) {
    BackBuffer.dc.StretchBlt(Trunc(x), Trunc(y), Trunc(width), Trunc(height), source, 0, 0, sourceWidth,
                             sourceHeight, SRCCOPY);
}
