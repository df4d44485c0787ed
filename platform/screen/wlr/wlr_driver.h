// The screen driver of a wlroots compositor (sway and the like), over the
// wlr-output-management protocol. It keeps its own Wayland connection, so it
// works beside any host; the protocol stays out of this header.
//
// It acts on one head: the one named at Open, else the first enabled head.
// Tests and changes carry every other head, and the chosen head's position,
// scale and transform, as the compositor last reported them.
#pragma once

#include <memory>
#include <string>

#include "platform/screen/event_driver.h"

namespace screen {

class WlrScreenDriver final : public EventScreenDriver {
public:
    WlrScreenDriver();
    ~WlrScreenDriver() override;
    WlrScreenDriver(const WlrScreenDriver&) = delete;
    WlrScreenDriver& operator=(const WlrScreenDriver&) = delete;

    // Connects to `display_name` (a socket name or path), or to
    // $WAYLAND_DISPLAY when it is empty. False with the reason in `error`
    // when there is no compositor, it lacks output management, or it has no
    // head to act on.
    bool Open(const std::string& display_name = {}, const std::string& head_name = {},
              std::string* error = nullptr);
    // Whether the compositor at `display_name` offers output management
    // (connects and disconnects).
    static bool Offered(const std::string& display_name = {});

    // The head acted on (e.g. "HEADLESS-1"); empty before Open.
    const std::string& HeadName() const;
    void ActOn(const std::string& output) override;

    // Reads the head's current mode; bpp is always 32.
    DisplayMode Current() const override;
    // The compositor's test() of the head in this mode.
    int TestMode(const DisplayMode& mode) override;
    // The compositor's apply(); on success the new mode is announced once.
    int SetMode(const DisplayMode& mode) override;

    // For the event loop: poll() this for reading, then ProcessPendingEvents
    // (also before blocking: driver calls may read events). -1 when closed.
    int ConnectionFd() const override;
    // Reads what the compositor sent and announces a changed mode once,
    // whoever changed it.
    void ProcessPendingEvents() override;
    // The compositor went away; the driver keeps answering from the last
    // mode it knew, and every change fails.
    bool ServerGone() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen
