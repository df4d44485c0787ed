#include "platform/host/sdl/sdl_x11.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>

namespace host::x11 {
namespace {

#if defined(SDL_VIDEO_DRIVER_X11)

Display* DisplayOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return info.info.x11.display;
}

std::string g_program;
Display* g_display = nullptr;
XIOErrorHandler g_previous = nullptr;

constexpr const char* kLostMessage = "the display server went away; exiting";

int OnIoError(Display* display) {
    if (display != g_display) return g_previous ? g_previous(display) : 0;
    std::fprintf(stderr, "%s: %s\n", g_program.c_str(), kLostMessage);
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
    g_program = program;
    g_display = display;
    // Installed before any other handler of ours, which then passes SDL's
    // connection on to this one.
    g_previous = XSetIOErrorHandler(OnIoError);
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
