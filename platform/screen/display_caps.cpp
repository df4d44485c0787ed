#include "platform/screen/display_caps.h"

#include "platform/screen/driver.h"

namespace screen {

int DisplayCaps::GetDeviceCaps(int index) const {
    const DisplayMode mode = CurrentMode();
    switch (index) {
        case HORZRES:
            return mode.width;
        case VERTRES:
            return mode.height;
        case VREFRESH:
            return mode.refresh;
        case BITSPIXEL:
            return mode.bpp;
        default:
            return 0;
    }
}

void InstallDisplayCaps() {
    static const DisplayCaps caps;
    gdi::SetDisplayCaps(&caps);
}

}  // namespace screen
