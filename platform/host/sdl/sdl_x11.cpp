#include "platform/host/sdl/sdl_x11.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>

#include "platform/context.h"

namespace host::x11 {
namespace {

#if defined(SDL_VIDEO_DRIVER_X11)

Display* DisplayOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return info.info.x11.display;
}

// Xlib's handler takes no user data, so what it needs is kept in the context.
struct LostConnectionPart : platform::Part {
    static constexpr platform::PartId kId = platform::PartId::kX11Errors;
    std::string program;
    Display* display = nullptr;
    XIOErrorHandler previous = nullptr;
};

LostConnectionPart& Lost() {
    return platform::TheContext().Get<LostConnectionPart>();
}

constexpr const char* kLostMessage = "the display server went away; exiting";

int OnIoError(Display* display) {
    const LostConnectionPart& lost = Lost();
    if (display != lost.display) return lost.previous ? lost.previous(display) : 0;
    std::fprintf(stderr, "%s: %s\n", lost.program.c_str(), kLostMessage);
    std::_Exit(1);
}

#endif

}  // namespace

#if defined(SDL_VIDEO_DRIVER_X11)

unsigned long WindowId(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

int ConnectionFd(SDL_Window* window) {
    Display* display = DisplayOf(window);
    return display ? ConnectionNumber(display) : -1;
}

bool EventsWaiting(SDL_Window* window) {
    Display* display = DisplayOf(window);
    return display && XEventsQueued(display, QueuedAfterFlush) > 0;
}

void ExitWhenConnectionLost(SDL_Window* window, const std::string& program) {
    Display* display = DisplayOf(window);
    if (!display) return;
    LostConnectionPart& lost = Lost();
    lost.program = program;
    lost.display = display;
    // Installed before any other handler of ours, which then passes SDL's
    // connection on to this one.
    lost.previous = XSetIOErrorHandler(OnIoError);
}

#else

unsigned long WindowId(SDL_Window*) {
    return 0;
}
int ConnectionFd(SDL_Window*) {
    return -1;
}
bool EventsWaiting(SDL_Window*) {
    return false;
}
void ExitWhenConnectionLost(SDL_Window*, const std::string&) {}

#endif

}  // namespace host::x11
