// The seat's pointer and keyboard as the framework's host events.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/host/host.h"

struct wl_keyboard;
struct wl_pointer;
struct wl_registry;
struct wl_seat;

namespace host::wayland {

// The VK_ code for a Linux input key code; 0 for keys the program does not use.
int VirtualKeyFromEvdev(std::uint32_t key);

class Seat {
public:
    using Sink = std::function<void(const Event&)>;
    // A surface position in logical units to the framework's screen pixels.
    using Mapper = std::function<void(double sx, double sy, int* x, int* y)>;

    Seat(Sink sink, Mapper mapper) : sink_(std::move(sink)), mapper_(std::move(mapper)) {}
    ~Seat();
    Seat(const Seat&) = delete;
    Seat& operator=(const Seat&) = delete;

    void Bind(wl_registry* registry, std::uint32_t global, std::uint32_t version);
    bool Remove(std::uint32_t global);

private:
    friend struct SeatListeners;
    void Capabilities(std::uint32_t caps);
    void Pointer(Event::Type type, double sx, double sy);

    Sink sink_;
    Mapper mapper_;
    std::uint32_t global_ = 0;
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    double last_x_ = 0;
    double last_y_ = 0;
};

}  // namespace host::wayland
