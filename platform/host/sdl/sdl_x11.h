// What the host needs from the X connection under an SDL window; Xlib stays
// in sdl_x11.cpp. Every function does nothing useful (0, -1, false) when the
// window is not on X11.
#pragma once

#include <string>

struct SDL_Window;

namespace host::x11 {

// The window's X id.
unsigned long WindowId(SDL_Window* window);
// SDL's X connection, for poll().
int ConnectionFd(SDL_Window* window);
// Flushes requests and tells whether events wait in Xlib's queue or on the
// socket, which poll() alone would not see.
bool EventsWaiting(SDL_Window* window);
// When SDL's connection breaks, print "<program>: <message>" on stderr and
// end the process with status 1 at once: Xlib cannot go on with it, and
// nothing (the screen's mode included) is to be restored.
void ExitWhenConnectionLost(SDL_Window* window, const std::string& program);

}  // namespace host::x11
