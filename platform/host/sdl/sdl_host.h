// The desktop host: the frame as a borderless SDL window over the screen that
// shows it, one buffer pixel per device pixel, and a loop that sleeps until
// the display has something to say.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/host/event_source.h"
#include "platform/host/host.h"

struct SDL_Window;

namespace host {

class SdlHost final : public Host {
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

    // Another connection the loop sleeps on (X11 only). `drain` runs before
    // every sleep and after every wake-up: kChanged ends the wait with a
    // kDisplayChanged event, kGone ends the input.
    void AddSource(int fd, std::function<SourceState()> drain);
    // Runs when SDL reports a display or window-display change.
    void SetDisplayEventHandler(std::function<void()> handler);
    void SetIconLoader(IconLoader loader);
    // Where the framework's screen starts on the desktop: the origin of the
    // monitor being adjusted. Until set, that of SDL's first display.
    void SetScreenOrigin(int x, int y);

    // The input ended because a source (the display server) went away.
    bool SourceGone() const;

    bool WaitEvent(Event& event) override;
    gdi::Surface* ScreenBuffer(int width, int height) override;
    void Present(const gdi::Rect& damage) override;
    void WindowPlaced(const WindowPlacement& placement) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace host
