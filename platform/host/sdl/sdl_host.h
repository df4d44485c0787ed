// The desktop host: the frame as a borderless SDL window over the screen that
// shows it, one buffer pixel per device pixel, and a loop that sleeps until
// the display has something to say.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/host/event_source.h"

struct SDL_Window;

namespace host {

class SdlHost final : public DesktopHost {
public:
    using SourceState = host::SourceState;
    using IconLoader = std::function<gdi::SurfacePtr(int resource_id)>;

    SdlHost();
    ~SdlHost() override;
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    // Sets what SDL reads from the environment, before any other thread runs
    // (setenv is not safe while another thread reads the environment).
    static void PrepareEnvironment();

    // Starts SDL's video and makes the window, hidden until the frame shows;
    // false with the reason in `error`. `program` prefixes the message printed
    // when the display server goes away under SDL.
    bool Open(const std::string& program, std::string* error);

    SDL_Window* window() const;
    // SDL's video driver: "x11", "wayland", ...
    std::string VideoDriver() const;
    // The X window id under X11, else 0.
    unsigned long X11Window() const;

    // Sources are read under X11 only.
    void AddSource(int fd, std::function<SourceState()> drain) override;
    // Runs when SDL reports a display or window-display change.
    void SetDisplayEventHandler(std::function<void()> handler);
    void SetIconLoader(IconLoader loader);
    // Where the framework's screen starts on the desktop: the origin of the
    // monitor being adjusted. Until set, that of SDL's first display.
    void SetScreenOrigin(int x, int y);

    bool SourceGone() const override;

    bool WaitEvent(Event& event) override;
    gdi::Surface* ScreenBuffer(int width, int height) override;
    void Present(const gdi::Rect& damage) override;
    void WindowPlaced(const WindowPlacement& placement) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace host
