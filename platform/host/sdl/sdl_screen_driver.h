// The screen's mode as SDL reports it, for displays without RandR (Wayland):
// the mode can be read but not changed.
#pragma once

#include "platform/screen/driver.h"

struct SDL_Window;

namespace host {

class SdlScreenDriver final : public screen::ScreenDriver {
public:
    // The mode of the display that shows window (the first display while it
    // is null). SDL's video must be running.
    explicit SdlScreenDriver(SDL_Window* window = nullptr) : window_(window), last_seen_(Current()) {}

    screen::DisplayMode Current() const override;
    // Both refuse: the compositor owns the mode.
    int TestMode(const screen::DisplayMode& mode) override;
    int SetMode(const screen::DisplayMode& mode) override;

    // Notifies the listener when the mode differs from the one last seen.
    void Refresh();

private:
    SDL_Window* window_;
    screen::DisplayMode last_seen_;
};

}  // namespace host
