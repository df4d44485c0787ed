#include "platform/wayland_dispatch.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace platform {
namespace {

// poll()'s time-out for `deadline`: -1 without one, never negative otherwise.
int PollTimeout(Clock::time_point deadline) {
    if (deadline == kNoDeadline) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Sends the requests made; false when the connection broke. A full socket
// waits for POLLOUT instead.
bool Flush(wl_display* display, short* events) {
    if (wl_display_flush(display) >= 0) return true;
    if (errno != EAGAIN) return false;
    *events |= POLLOUT;
    return true;
}

}  // namespace

Dispatched DispatchOnce(wl_display* display, std::span<pollfd> extra, Clock::time_point deadline,
                        const std::function<bool()>& ready) {
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) return Dispatched::kFailed;
    }
    if (ready && ready()) {
        wl_display_cancel_read(display);
        return Dispatched::kReady;
    }
    short events = POLLIN;
    if (!Flush(display, &events)) {
        wl_display_cancel_read(display);
        return Dispatched::kFailed;
    }
    std::vector<pollfd> fds{{wl_display_get_fd(display), events, 0}};
    fds.insert(fds.end(), extra.begin(), extra.end());
    const int woke = poll(fds.data(), fds.size(), PollTimeout(deadline));
    if (woke < 0 && errno != EINTR) {
        wl_display_cancel_read(display);
        return Dispatched::kFailed;
    }
    for (std::size_t i = 0; i < extra.size(); ++i) extra[i].revents = woke > 0 ? fds[i + 1].revents : 0;
    const short got = woke > 0 ? fds[0].revents : 0;
    if (got & POLLIN) {
        if (wl_display_read_events(display) < 0) return Dispatched::kFailed;
    } else {
        wl_display_cancel_read(display);
        if (got & (POLLERR | POLLHUP | POLLNVAL)) return Dispatched::kFailed;
    }
    if (wl_display_dispatch_pending(display) < 0) return Dispatched::kFailed;
    events = 0;
    if (!Flush(display, &events)) return Dispatched::kFailed;
    return woke == 0 ? Dispatched::kTimedOut : Dispatched::kWoke;
}

Dispatched DispatchUntil(wl_display* display, Clock::time_point deadline,
                         const std::function<bool()>& ready) {
    for (;;) {
        const Dispatched got = DispatchOnce(display, {}, deadline, ready);
        if (got != Dispatched::kWoke) return got;
        if (Clock::now() >= deadline && !ready()) return Dispatched::kTimedOut;
    }
}

Dispatched SyncUntil(wl_display* display, Clock::time_point deadline) {
    bool answered = false;
    wl_callback* callback = wl_display_sync(display);
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &listener, &answered);
    const Dispatched got = DispatchUntil(display, deadline, [&] { return answered; });
    wl_callback_destroy(callback);
    return got;
}

}  // namespace platform
