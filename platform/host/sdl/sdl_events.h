// SDL's input events as the framework's host events.
#pragma once

#include <optional>

#include "platform/host/host.h"

union SDL_Event;

namespace host {

// Where the window is on the framework's screen, and how many device pixels
// one SDL window unit covers (more than one only under desktop scaling).
struct WindowMapping {
    int origin_x = 0;
    int origin_y = 0;
    double scale_x = 1.0;
    double scale_y = 1.0;
};

// The VK_ code for an SDL key; 0 for keys the program does not use.
int VirtualKeyFromSdl(int sdl_keycode);

// Left-button presses and releases, moves, the keys above and requests to
// close; nothing for the rest.
std::optional<Event> TranslateSdlEvent(const SDL_Event& event, const WindowMapping& mapping);

}  // namespace host
