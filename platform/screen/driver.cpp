#include "platform/screen/driver.h"

#include "platform/screen/display_caps.h"
#include "platform/screen/screen_state.h"

namespace screen {

void SetDriver(ScreenDriver* driver) {
    detail::ScreenPart& state = detail::State();
    if (state.driver) state.driver->SetChangeListener(nullptr);
    state.driver = driver;
    if (driver) {
        driver->SetChangeListener([](const DisplayMode& mode) {
            if (const auto& callback = detail::State().change_callback) callback(mode);
        });
    }
    InstallDisplayCaps();
}

ScreenDriver* GetDriver() {
    return detail::State().driver;
}

void SetChangeCallback(ScreenDriver::ChangeListener callback) {
    detail::State().change_callback = std::move(callback);
}

void AnnounceDisplayChange() {
    if (const auto& callback = detail::State().change_callback) callback(CurrentMode());
}

DisplayMode CurrentMode() {
    ScreenDriver* driver = detail::State().driver;
    return driver ? driver->Current() : DisplayMode{};
}

}  // namespace screen
