// The Windows desktop host: the frame as one borderless full-screen popup on
// the monitor being adjusted, its screen buffer a DIB section the window
// shows, and a loop that sleeps in the message queue until something happens.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/host/host.h"
#include "platform/host/win32/desktop_window.h"

namespace host {

class Win32Host final : public Host {
public:
    Win32Host() = default;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    bool Open(const std::string& program, std::string* error) { return window_.Open(program, error); }
    // Where the framework's screen starts on the desktop: the origin of the
    // monitor being adjusted; asked again whenever the window is placed.
    void SetScreenOrigin(std::function<void(int* x, int* y)> origin) { origin_ = std::move(origin); }
    // Runs when Windows reports a display change (a mode, or which monitors
    // there are); scale changes reach the framework as display changes
    // themselves.
    void SetDisplayEventHandler(std::function<void()> handler) { on_display_ = std::move(handler); }

    bool WaitEvent(Event& event) override;
    gdi::Surface* ScreenBuffer(int width, int height) override;
    void Present(const gdi::Rect& damage) override;
    void WindowPlaced(const WindowPlacement& placement) override;

private:
    win32::DesktopWindow window_;
    gdi::SurfacePtr buffer_;
    WindowPlacement placement_;
    int origin_x_ = 0;
    int origin_y_ = 0;
    std::function<void(int* x, int* y)> origin_;
    std::function<void()> on_display_;
};

}  // namespace host
