// The screen driver of a real X server, over RandR 1.2 or later. It keeps its
// own X connection, so it works beside any toolkit; Xlib stays out of this
// header.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/screen/event_driver.h"
#include "platform/screen/monitor.h"

namespace screen {

class XrandrScreenDriver final : public EventScreenDriver {
public:
    XrandrScreenDriver();
    ~XrandrScreenDriver() override;
    XrandrScreenDriver(const XrandrScreenDriver&) = delete;
    XrandrScreenDriver& operator=(const XrandrScreenDriver&) = delete;

    // Connects to `display_name`, or to $DISPLAY when it is empty. On failure
    // returns false and says why in `error`. Without RandR 1.2 the driver
    // still opens, read-only: tests and sets then fail with DISP_CHANGE_FAILED.
    bool Open(const std::string& display_name = {}, std::string* error = nullptr);
    void Close();
    bool IsOpen() const;
    bool ReadOnly() const;

    // The window whose centre picks the CRTC to read and change; 0 (the
    // default) takes the primary output, else the first connected one.
    void ShowWindow(unsigned long window);
    // Reads and changes the CRTC of the output named so, whatever window is
    // where (empty: the window's again). When that output goes away the
    // driver follows the output it falls back to (the primary, else the
    // first connected one) and notifies.
    void ActOn(const std::string& output) override;
    // The output the last read of the mode found; empty when no output shows
    // a picture.
    std::string CurrentOutput() const;
    // Where that output's picture starts on the X screen; false without one.
    bool CurrentOrigin(int* x, int* y) const;

    // Every connected monitor; empty without RandR 1.2.
    std::vector<Monitor> Monitors() const;

    DisplayMode Current() const override;
    int TestMode(const DisplayMode& mode) override;
    // Never notifies by itself: the change comes back as a RandR event.
    int SetMode(const DisplayMode& mode) override;

    // Every driver call may queue events that poll() does not see, so call
    // ProcessPendingEvents before blocking as well.
    int ConnectionFd() const override;
    // Reads all pending events and notifies the listener at most once, with
    // the mode current after them.
    void ProcessPendingEvents() override;
    // Blocks until there are events to process (or the server went away).
    bool WaitForEvent(int timeout_ms);

    // The gone callback runs from ProcessPendingEvents.
    bool ServerGone() const override;
    // False with libX11 older than 1.7: there Xlib ends the process instead.
    static bool SurvivesLostServer();

    // X protocol errors seen on this connection (they never end the process).
    int ErrorCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace screen
