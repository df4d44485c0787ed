// GetDeviceCaps answers for the display, read from the current screen driver.
#pragma once

#include "platform/gdi/dc.h"

namespace screen {

class DisplayCaps : public IDeviceCaps {
public:
    // HORZRES, VERTRES, VREFRESH and BITSPIXEL of the current mode; 0 otherwise.
    int GetDeviceCaps(int index) const override;
};

// Makes every device context report the current driver's mode.
void InstallDisplayCaps();

}  // namespace screen
