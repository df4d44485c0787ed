// A screen driver's own connection to the Wayland compositor: the display,
// its registry, and whether the connection broke. Every wait is bounded, and
// a broken connection stays broken: no call waits on it again.
#pragma once

#include <functional>
#include <string>

struct wl_display;
struct wl_registry;
struct wl_registry_listener;

namespace platform {

class WaylandConnection {
public:
    WaylandConnection() = default;
    ~WaylandConnection() { Close(); }
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // Connects to `name` (a socket name or path; empty: $WAYLAND_DISPLAY),
    // hands the registry's globals to `listener` with `data`, and makes one
    // round trip within `timeout_ms`, so every global has been announced.
    // False with the reason in *why when there is no compositor, it does not
    // answer, or the connection broke.
    bool Connect(const std::string& name, const wl_registry_listener* listener, void* data, int timeout_ms,
                 std::string* why);
    // Disconnects. Protocol objects made on the connection go first.
    void Close();

    wl_display* display() const { return display_; }
    // Connected and not broken.
    bool up() const { return display_ && !gone_; }
    bool gone() const { return gone_; }

    // Reads and dispatches what arrives until `done` holds (true), the time
    // is up or the connection breaks.
    bool DispatchUntil(const std::function<bool()>& done, int timeout_ms);
    // A round trip: true when the compositor answered within `timeout_ms`,
    // every event it sent before then dispatched.
    bool Sync(int timeout_ms);
    // Dispatches what has arrived, without blocking (for the event loop).
    void DispatchWaiting();
    // Sends the requests made so far.
    void Flush();
    // The descriptor for the event loop to poll, or -1.
    int Fd() const;
    // Why a wait that failed did: the connection broke, or no answer came.
    const char* WaitFailure() const;

private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    bool gone_ = false;
};

}  // namespace platform
