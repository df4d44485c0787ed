#include "platform/screen/win32/win32_driver.h"

#include <string>

#include "platform/screen/devmode.h"

namespace screen {

namespace {

// A ChangeDisplaySettingsExW code in words, for LastError.
std::string ChangeText(long code) {
    switch (code) {
        case DISP_CHANGE_RESTART:
            return "the computer must restart";
        case DISP_CHANGE_BADMODE:
            return "the mode is not offered";
        case DISP_CHANGE_NOTUPDATED:
            return "the settings could not be stored";
        case DISP_CHANGE_BADFLAGS:
            return "bad flags";
        case DISP_CHANGE_BADPARAM:
            return "bad parameter";
        case DISP_CHANGE_BADDUALVIEW:
            return "the display is part of a dual view";
        default:
            return "the display driver failed (code " + std::to_string(code) + ")";
    }
}

}  // namespace

// The monitor the driver acts on; Windows keeps no connection to close.
struct Win32ScreenDriver::Impl {
    explicit Impl(Win32ScreenDriver*) {}
    std::string device;
};

Win32ScreenDriver::Win32ScreenDriver() : impl_(std::make_unique<Impl>(this)) {}
Win32ScreenDriver::~Win32ScreenDriver() = default;

bool Win32ScreenDriver::Open(const std::string& device, std::string* error) {
    Impl& d = BeginOpen(impl_, this);
    d.device = device;
    DisplayMode now;
    if (!ReadDisplayMode(device, &now)) {
        return FailOpen(impl_, this, "no display named " + device + " shows a picture", error);
    }
    TakeAsAnnounced(now);
    return true;
}

DisplayMode Win32ScreenDriver::Current() const {
    DisplayMode now;
    return ReadDisplayMode(impl_->device, &now) ? now : Announced();
}

int Win32ScreenDriver::TestMode(const DisplayMode& mode) {
    const long result = ChangeDisplayMode(impl_->device, mode, true);
    if (result != DISP_CHANGE_SUCCESSFUL)
        return Fail(result, "Windows refuses the mode: " + ChangeText(result));
    return result;
}

int Win32ScreenDriver::SetMode(const DisplayMode& mode) {
    const long result = ChangeDisplayMode(impl_->device, mode, false);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        return Fail(result, "Windows did not change the mode: " + ChangeText(result));
    }
    Refresh();
    return result;
}

bool Win32ScreenDriver::Refresh() {
    return Announce(Current());
}

bool Win32ScreenDriver::Origin(int* x, int* y) const {
    return DisplayOrigin(impl_->device, x, y);
}

}  // namespace screen
