// The one loop of every Wayland client in the program (the host and the
// screen drivers, each on a connection of its own): dispatch what is
// queued, flush, sleep in poll() on the connection and on other
// descriptors until a deadline, read, dispatch.
#pragma once

#include <poll.h>

#include <chrono>
#include <functional>
#include <span>

struct wl_display;

namespace platform {

using Clock = std::chrono::steady_clock;
// No deadline: sleep until something arrives.
inline constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

enum class Dispatched {
    kReady,     // ready() held after dispatching
    kWoke,      // events were read and dispatched, or one of the extra descriptors woke the wait
    kTimedOut,  // the deadline passed with nothing new
    kFailed     // the connection broke: a dispatch, flush, poll or read error
};

// One wake-up: dispatches what is queued; unless `ready()` then holds,
// flushes the requests made, sleeps until the compositor sends something,
// one of `extra` has an event of those it asks for (its revents tell which),
// or `deadline` passes (a past deadline still looks once), then reads and
// dispatches what came and flushes again. A full socket is no error (the
// wait also wakes when it drains); an error is never taken for a time-out.
Dispatched DispatchOnce(wl_display* display, std::span<pollfd> extra, Clock::time_point deadline,
                        const std::function<bool()>& ready);

// Wakes up until `ready()` holds (kReady), `deadline` passes (kTimedOut) or
// the connection breaks (kFailed).
Dispatched DispatchUntil(wl_display* display, Clock::time_point deadline, const std::function<bool()>& ready);

// Sends a sync request and wakes up until its answer arrives (kReady): every
// event the compositor sent before it has then been dispatched.
Dispatched SyncUntil(wl_display* display, Clock::time_point deadline);

// Reads and dispatches what has arrived, without blocking; false when the
// connection broke.
inline bool DispatchWaiting(wl_display* display) {
    return DispatchOnce(display, {}, Clock::now(), nullptr) != Dispatched::kFailed;
}

// The deadline `milliseconds` from now.
inline Clock::time_point DeadlineAfter(int milliseconds) {
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

}  // namespace platform
