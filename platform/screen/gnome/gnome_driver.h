// The screen driver of a GNOME session: org.gnome.Mutter.DisplayConfig on
// the session bus, through sd-bus. It keeps its own bus connection; sd-bus
// stays out of this header.
//
// It acts on one monitor: the one named at Open, else the primary one.
// Tests are ApplyMonitorsConfig with method "verify", changes with method
// "persistent"; both carry the rest of the layout as it is.
#pragma once

#include <memory>
#include <string>

#include "platform/screen/event_driver.h"
#include "platform/screen/gnome/mutter_state.h"

namespace screen {

class GnomeScreenDriver final : public EventScreenDriver {
public:
    GnomeScreenDriver();
    ~GnomeScreenDriver() override;
    GnomeScreenDriver(const GnomeScreenDriver&) = delete;
    GnomeScreenDriver& operator=(const GnomeScreenDriver&) = delete;

    // Connects to the bus at `bus_address` (D-Bus address syntax), or to
    // $DBUS_SESSION_BUS_ADDRESS when it is empty, and reads the layout.
    // False with the reason in `error` when there is no bus, no display
    // service on it, no answer in time, an answer of the wrong shape, or no
    // monitor to act on.
    bool Open(const std::string& bus_address = {}, const std::string& connector = {},
              std::string* error = nullptr);
    // Whether the display service has an owner on that bus.
    static bool Offered(const std::string& bus_address = {});

    // The monitor acted on (e.g. "DP-1"); empty before Open.
    const std::string& Connector() const;
    void ActOn(const std::string& output) override;
    // Every monitor and logical monitor as last read.
    const gnome::MutterState& State() const;

    DisplayMode Current() const override;
    int TestMode(const DisplayMode& mode) override;
    // On success the new mode is announced once.
    int SetMode(const DisplayMode& mode) override;

    // For the event loop, as with the other drivers: poll() ConnectionFd for
    // reading (it may also want POLLOUT: WantsWrite), then
    // ProcessPendingEvents, which follows MonitorsChanged.
    int ConnectionFd() const override;
    bool WantsWrite() const;
    void ProcessPendingEvents() override;
    bool ServerGone() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen
