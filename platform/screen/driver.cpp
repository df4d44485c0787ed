#include "platform/screen/driver.h"

#include "platform/screen/display_caps.h"

namespace screen {
namespace {

ScreenDriver* g_driver = nullptr;

// A function-local static: the application object registers its callback
// from a static constructor, which may run before this file's statics.
ScreenDriver::ChangeListener& Callback() {
    static ScreenDriver::ChangeListener callback;
    return callback;
}

}  // namespace

void SetDriver(ScreenDriver* driver) {
    if (g_driver) g_driver->SetChangeListener(nullptr);
    g_driver = driver;
    if (g_driver) {
        g_driver->SetChangeListener([](const DisplayMode& mode) {
            if (Callback()) Callback()(mode);
        });
    }
    InstallDisplayCaps();
}

ScreenDriver* GetDriver() {
    return g_driver;
}

void SetChangeCallback(ScreenDriver::ChangeListener callback) {
    Callback() = std::move(callback);
}

void AnnounceDisplayChange() {
    if (Callback()) Callback()(CurrentMode());
}

DisplayMode CurrentMode() {
    return g_driver ? g_driver->Current() : DisplayMode{};
}

}  // namespace screen
