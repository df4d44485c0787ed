// The screen driver of Windows: the display settings of one monitor, by its
// device name, read and changed with EnumDisplaySettingsExW and
// ChangeDisplaySettingsExW, their codes passed on unchanged; and the
// desktop's monitors with their EDIDs.
#pragma once

#include <string>
#include <vector>

#include "platform/screen/driver.h"
#include "platform/screen/monitor.h"

namespace screen {

class Win32ScreenDriver final : public ScreenDriver {
public:
    // Acts on the monitor named `device` ("\\.\DISPLAY2"). False with the
    // reason in `error` when Windows knows no such display.
    bool Open(const std::string& device, std::string* error);

    DisplayMode Current() const override;
    int TestMode(const DisplayMode& mode) override;
    int SetMode(const DisplayMode& mode) override;

    // Reads the mode again and tells the listener when it differs from the
    // one last seen; true when it did.
    bool Refresh();
    // Where the monitor's picture starts on the desktop; false when unknown.
    bool Origin(int* x, int* y) const;

private:
    std::wstring device_;
    DisplayMode last_seen_;
};

// The desktop's displays, in Windows' order, named by device name. Each has
// the EDID Windows keeps for the monitor on it; makers' names come from the
// table built into the program.
std::vector<Monitor> ReadWin32Monitors();

}  // namespace screen
