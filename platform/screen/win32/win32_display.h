// What Windows says of its displays, behind calls that keep <windows.h> out
// of the driver (whose own DISP_CHANGE_* names would clash with it): one
// monitor's settings read and changed with EnumDisplaySettingsExW and
// ChangeDisplaySettingsExW, and the desktop's monitors with their EDIDs.
#pragma once

#include <string>
#include <vector>

#include "platform/screen/driver.h"
#include "platform/screen/monitor.h"

namespace screen {

// The current mode of the display named `device` ("\\.\DISPLAY2"); false
// when Windows knows no such display.
bool ReadDisplayMode(const std::string& device, DisplayMode* mode);
// ChangeDisplaySettingsExW's code for `mode` on `device`: asked only
// (`test`), or set and stored. A refresh of 0 or 1 and a depth of 0 are not
// asked for.
long ChangeDisplayMode(const std::string& device, const DisplayMode& mode, bool test);
// Where the display's picture starts on the desktop; false when unknown.
bool DisplayOrigin(const std::string& device, int* x, int* y);

// The desktop's displays, in Windows' order, named by device name. Each has
// the EDID Windows keeps for the monitor on it; makers' names come from the
// table built into the program.
std::vector<Monitor> ReadWin32Monitors();

}  // namespace screen
