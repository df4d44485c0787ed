// The screen driver of KDE Plasma's compositor, over KDE's output management
// (kde_output_device_v2 describes, kde_output_management_v2 changes). It
// keeps its own Wayland connection, so it works beside any host; the
// protocol stays out of this header.
//
// It acts on one output: the one named at Open, else the first in KDE's
// output order (the primary), else the first enabled one. A change asks for
// that output's listed mode and nothing else, so its scale, position and
// transform and every other output stay as they are.
#pragma once

#include <memory>
#include <string>

#include "platform/screen/event_driver.h"

namespace screen {

class KdeScreenDriver final : public EventScreenDriver {
public:
    KdeScreenDriver();
    ~KdeScreenDriver() override;
    KdeScreenDriver(const KdeScreenDriver&) = delete;
    KdeScreenDriver& operator=(const KdeScreenDriver&) = delete;

    // Connects to `display_name` (a socket name or path), or to
    // $WAYLAND_DISPLAY when it is empty. False with the reason in `error`
    // when there is no compositor, it lacks KDE's output management, or it
    // has no output to act on.
    bool Open(const std::string& display_name = {}, const std::string& output = {},
              std::string* error = nullptr);

    // The output acted on (e.g. "Virtual-1"); empty before Open.
    const std::string& OutputName() const;
    void ActOn(const std::string& output) override;

    // The output's current mode; bpp is always 32.
    DisplayMode Current() const override;
    // The protocol cannot test a configuration: a mode passes when the
    // output lists it (a refresh that rounds to the asked Hz counts).
    int TestMode(const DisplayMode& mode) override;
    // Applies the listed mode and waits for the compositor's answer; on
    // success the new mode is announced once.
    int SetMode(const DisplayMode& mode) override;

    int ConnectionFd() const override;
    void ProcessPendingEvents() override;
    bool ServerGone() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen
