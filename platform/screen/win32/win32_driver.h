// The screen driver of Windows on the driver core: the display settings of
// one monitor, by its device name, their codes passed on unchanged.
#pragma once

#include <memory>
#include <string>

#include "platform/screen/driver_core.h"
#include "platform/screen/win32/win32_display.h"

namespace screen {

class Win32ScreenDriver final : public DriverCore {
public:
    Win32ScreenDriver();
    ~Win32ScreenDriver() override;

    // Acts on the monitor named `device` ("\\.\DISPLAY2"). False with the
    // reason in `error` when Windows knows no such display.
    bool Open(const std::string& device, std::string* error);

    DisplayMode Current() const override;
    int TestMode(const DisplayMode& mode) override;
    int SetMode(const DisplayMode& mode) override;

    // Reads the mode again and announces it when it differs from the one
    // announced last; true when it did.
    bool Refresh();
    // Where the monitor's picture starts on the desktop; false when unknown.
    bool Origin(int* x, int* y) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen
