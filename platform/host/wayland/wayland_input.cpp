#include "platform/host/wayland/wayland_input.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>

namespace host::wayland {
namespace {

// The framework's key codes; the host layer does not include the framework.
constexpr int kVkTab = 0x09;
constexpr int kVkReturn = 0x0D;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;

}  // namespace

int VirtualKeyFromEvdev(std::uint32_t key) {
    switch (key) {
        case KEY_ENTER:
        case KEY_KPENTER:
            return kVkReturn;
        case KEY_ESC:
            return kVkEscape;
        case KEY_SPACE:
            return kVkSpace;
        case KEY_TAB:
            return kVkTab;
        default:
            return 0;
    }
}

struct SeatListeners {
    static Seat& Of(void* data) { return *static_cast<Seat*>(data); }

    static void Capabilities(void* data, wl_seat*, uint32_t caps) { Of(data).Capabilities(caps); }
    static void Name(void*, wl_seat*, const char*) {}

    static void Enter(void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        Of(data).Pointer(Event::kMouseMove, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void Leave(void*, wl_pointer*, uint32_t, wl_surface*) {}
    static void Motion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Of(data).Pointer(Event::kMouseMove, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void Button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
        if (button != BTN_LEFT) return;
        Seat& s = Of(data);
        s.Pointer(state == WL_POINTER_BUTTON_STATE_PRESSED ? Event::kMouseDown : Event::kMouseUp, s.last_x_,
                  s.last_y_);
    }
    static void Axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
    static void Frame(void*, wl_pointer*) {}
    static void AxisSource(void*, wl_pointer*, uint32_t) {}
    static void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
    static void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
    static void AxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

    static void Keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
    static void KeyEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
    static void KeyLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
    static void Key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
        const int vk = VirtualKeyFromEvdev(key);
        if (vk == 0) return;
        Event e;
        e.type = Event::kKey;
        e.key = vk;
        Of(data).sink_(e);
    }
    static void Modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void RepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

    static constexpr wl_seat_listener kSeat = {Capabilities, Name};
    static constexpr wl_pointer_listener kPointer = {Enter, Leave,      Motion,   Button,       Axis,
                                                     Frame, AxisSource, AxisStop, AxisDiscrete, AxisValue120};
    static constexpr wl_keyboard_listener kKeyboard = {Keymap, KeyEnter,  KeyLeave,
                                                       Key,    Modifiers, RepeatInfo};
};

Seat::~Seat() {
    if (pointer_) wl_pointer_destroy(pointer_);
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (seat_) wl_seat_destroy(seat_);
}

void Seat::Bind(wl_registry* registry, std::uint32_t global, std::uint32_t version) {
    if (seat_) return;  // the first seat is the user's
    global_ = global;
    seat_ = static_cast<wl_seat*>(
        wl_registry_bind(registry, global, &wl_seat_interface, std::min<std::uint32_t>(version, 5)));
    wl_seat_add_listener(seat_, &SeatListeners::kSeat, this);
}

bool Seat::Remove(std::uint32_t global) {
    if (!seat_ || global != global_) return false;
    Capabilities(0);
    wl_seat_destroy(seat_);
    seat_ = nullptr;
    return true;
}

void Seat::Capabilities(std::uint32_t caps) {
    const bool pointer = caps & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD;
    if (pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &SeatListeners::kPointer, this);
    } else if (!pointer && pointer_) {
        wl_pointer_destroy(pointer_);
        pointer_ = nullptr;
    }
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &SeatListeners::kKeyboard, this);
    } else if (!keyboard && keyboard_) {
        wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
    }
}

void Seat::Pointer(Event::Type type, double sx, double sy) {
    last_x_ = sx;
    last_y_ = sy;
    Event e;
    e.type = type;
    mapper_(sx, sy, &e.x, &e.y);
    sink_(e);
}

}  // namespace host::wayland
