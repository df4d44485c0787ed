#include "platform/host/sdl/sdl_screen_driver.h"

#include <SDL.h>

#include "platform/screen/devmode.h"

namespace host {

screen::DisplayMode SdlScreenDriver::Current() const {
    int index = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (index < 0) index = 0;
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(index, &mode) != 0) return {};
    // A 32-bit pixel with 24 bits of colour counts as 32, as the display settings report it.
    return {mode.w, mode.h, mode.refresh_rate, static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8};
}

int SdlScreenDriver::TestMode(const screen::DisplayMode&) {
    return DISP_CHANGE_FAILED;
}

int SdlScreenDriver::SetMode(const screen::DisplayMode&) {
    return DISP_CHANGE_FAILED;
}

void SdlScreenDriver::Refresh() {
    const screen::DisplayMode mode = Current();
    if (mode == last_seen_) return;
    last_seen_ = mode;
    NotifyChanged(mode);
}

}  // namespace host
