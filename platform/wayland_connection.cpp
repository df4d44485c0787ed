#include "platform/wayland_connection.h"

#include <wayland-client.h>

#include "platform/wayland_dispatch.h"

namespace platform {

bool WaylandConnection::Connect(const std::string& name, const wl_registry_listener* listener, void* data,
                                int timeout_ms, std::string* why) {
    Close();
    display_ = wl_display_connect(name.empty() ? nullptr : name.c_str());
    if (!display_) {
        if (why) *why = "cannot connect to the Wayland compositor";
        return false;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, listener, data);
    if (Sync(timeout_ms)) return true;
    if (why) *why = WaitFailure();
    return false;
}

void WaylandConnection::Close() {
    if (registry_) wl_registry_destroy(registry_);
    registry_ = nullptr;
    if (display_) wl_display_disconnect(display_);
    display_ = nullptr;
    gone_ = false;
}

bool WaylandConnection::DispatchUntil(const std::function<bool()>& done, int timeout_ms) {
    if (!up()) return false;
    const Dispatched got = platform::DispatchUntil(display_, DeadlineAfter(timeout_ms), done);
    if (got == Dispatched::kFailed) gone_ = true;
    return got == Dispatched::kReady;
}

bool WaylandConnection::Sync(int timeout_ms) {
    if (!up()) return false;
    const Dispatched got = SyncUntil(display_, DeadlineAfter(timeout_ms));
    if (got == Dispatched::kFailed) gone_ = true;
    return got == Dispatched::kReady;
}

void WaylandConnection::DispatchWaiting() {
    if (up() && !platform::DispatchWaiting(display_)) gone_ = true;
}

void WaylandConnection::Flush() {
    if (up()) wl_display_flush(display_);
}

const char* WaylandConnection::WaitFailure() const {
    return gone_ ? "the connection to the Wayland compositor broke"
                 : "the Wayland compositor does not answer";
}

int WaylandConnection::Fd() const {
    return display_ ? wl_display_get_fd(display_) : -1;
}

}  // namespace platform
