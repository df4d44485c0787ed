// The screen driver for compositors that let no client change modes (weston
// and others): it reads the output's mode from wl_output on
// a connection of its own and follows its changes; every test and change
// fails with DISP_CHANGE_FAILED, and the first says on stderr what is
// missing.
#pragma once

#include <memory>
#include <string>

#include "platform/screen/event_driver.h"

namespace screen {

class WaylandReadOnlyScreenDriver final : public EventScreenDriver {
public:
    WaylandReadOnlyScreenDriver();
    ~WaylandReadOnlyScreenDriver() override;
    WaylandReadOnlyScreenDriver(const WaylandReadOnlyScreenDriver&) = delete;
    WaylandReadOnlyScreenDriver& operator=(const WaylandReadOnlyScreenDriver&) = delete;

    // Connects to `display_name` (empty: $WAYLAND_DISPLAY) and follows the
    // output named `output`, else the first one. False with `error` set when
    // there is no compositor or no output.
    bool Open(const std::string& display_name = {}, const std::string& output = {},
              std::string* error = nullptr);
    const std::string& OutputName() const;

    DisplayMode Current() const override;
    int TestMode(const DisplayMode& mode) override;
    int SetMode(const DisplayMode& mode) override;

    int ConnectionFd() const override;
    void ProcessPendingEvents() override;
    bool ServerGone() const override;

    // The line printed before the first refused change.
    static const char* MissingLine();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen
