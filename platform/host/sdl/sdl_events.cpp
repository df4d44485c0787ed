#include "platform/host/sdl/sdl_events.h"

#include <SDL.h>

#include <cmath>

namespace host {
namespace {

// The framework's key codes; the host layer does not include the framework.
constexpr int kVkTab = 0x09;
constexpr int kVkReturn = 0x0D;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;

Event MouseEvent(Event::Type type, int x, int y, const WindowMapping& m) {
    Event e;
    e.type = type;
    e.x = m.origin_x + static_cast<int>(std::floor(x * m.scale_x));
    e.y = m.origin_y + static_cast<int>(std::floor(y * m.scale_y));
    return e;
}

}  // namespace

int VirtualKeyFromSdl(int sdl_keycode) {
    switch (sdl_keycode) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return kVkReturn;
        case SDLK_ESCAPE:
            return kVkEscape;
        case SDLK_SPACE:
            return kVkSpace;
        case SDLK_TAB:
            return kVkTab;
        default:
            return 0;
    }
}

std::optional<Event> TranslateSdlEvent(const SDL_Event& event, const WindowMapping& mapping) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (event.button.button != SDL_BUTTON_LEFT) return std::nullopt;
            const Event::Type type = event.type == SDL_MOUSEBUTTONDOWN ? Event::kMouseDown : Event::kMouseUp;
            return MouseEvent(type, event.button.x, event.button.y, mapping);
        }
        case SDL_MOUSEMOTION:
            return MouseEvent(Event::kMouseMove, event.motion.x, event.motion.y, mapping);
        case SDL_KEYDOWN: {
            if (event.key.repeat) return std::nullopt;  // a held key is one press
            const int vk = VirtualKeyFromSdl(event.key.keysym.sym);
            if (vk == 0) return std::nullopt;
            Event e;
            e.type = Event::kKey;
            e.key = vk;
            return e;
        }
        case SDL_QUIT: {
            Event e;
            e.type = Event::kQuit;
            return e;
        }
        case SDL_WINDOWEVENT:
            if (event.window.event != SDL_WINDOWEVENT_CLOSE) return std::nullopt;
            {
                Event e;
                e.type = Event::kQuit;
                return e;
            }
        default:
            return std::nullopt;
    }
}

}  // namespace host
