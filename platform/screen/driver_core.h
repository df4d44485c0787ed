// What every driver of a real display server does the same way, kept once:
// the mode it last announced (a change is announced once), going away (the
// callback runs once), the start of Open (fresh connection state; the
// callback and the reply time-out stay), and the last failure in words
// beside its DISP_CHANGE_* code.
//
// A new driver derives from EventScreenDriver (which derives from this) and
// keeps its connection in `struct Impl`, built from the driver's `this`
// (`explicit Impl(FooScreenDriver* owner)`), whose destructor closes it:
//
//   bool FooScreenDriver::Open(..., std::string* error) {
//       Impl& d = BeginOpen(impl_, this);  // the old connection closes here
//       if (!d.Connect()) return FailOpen(impl_, this, "cannot connect to ...", error);
//       ...
//       TakeAsAnnounced(d.Read());  // the mode it starts in is no news
//       return true;
//   }
//   int FooScreenDriver::TestMode(const DisplayMode& mode) {
//       if (!offered) return Fail(DISP_CHANGE_BADMODE, "... offers no mode ...");
//       ...
//   }
//   void FooScreenDriver::ProcessPendingEvents() {
//       ... read; set d.gone when the connection broke ...
//       Announce(d.Read());      // announces only a real mode that differs
//       ReportGoneOnce(d.gone);  // runs the callback the first time only
//   }
//
// Impl's own code reaches these through its owner (owner->Fail(...),
// owner->Announce(...)). Reply time-outs bound every wait for the other
// side (ReplyTimeoutMs). tools/adjust attaches any EventScreenDriver to its
// host one way (DesktopRun): its ConnectionFd is polled in the host's loop
// (-1: never; changes then reach it through the host), and after every
// ProcessPendingEvents a ServerGone() ends the run.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/screen/devmode.h"
#include "platform/screen/driver.h"

namespace screen {

class DriverCore : public ScreenDriver {
public:
    // Runs once, when the driver first finds the other side gone.
    void SetServerGoneCallback(std::function<void()> callback) { on_gone_ = std::move(callback); }
    // How long one call may wait for the other side's answer (default 3 s).
    void SetReplyTimeout(int milliseconds);
    int ReplyTimeoutMs() const { return reply_timeout_ms_; }

    // Why the last failed call (Open, TestMode or SetMode) failed, in words,
    // and the DISP_CHANGE_* code it returned (DISP_CHANGE_SUCCESSFUL before
    // any failure).
    const std::string& LastError() const { return last_error_; }
    int LastErrorCode() const { return last_error_code_; }

protected:
    static constexpr int kDefaultReplyTimeoutMs = 3000;

    // Open's first step: `impl` starts afresh (its destructor closes the
    // last connection), and what the last connection told is forgotten.
    template <typename Impl, typename Owner>
    Impl& BeginOpen(std::unique_ptr<Impl>& impl, Owner* owner) {
        announced_ = {};
        gone_reported_ = false;
        impl = std::make_unique<Impl>(owner);
        return *impl;
    }
    // Open failed: the connection is closed (a fresh `impl`), and `why`
    // goes to `error` and LastError. Returns false.
    template <typename Impl, typename Owner>
    bool FailOpen(std::unique_ptr<Impl>& impl, Owner* owner, std::string why, std::string* error) {
        impl = std::make_unique<Impl>(owner);
        if (error) *error = why;
        Fail(DISP_CHANGE_FAILED, std::move(why));
        return false;
    }

    // Keeps `why` as the last error and returns `code`.
    int Fail(int code, std::string why);

    // Announces `now` to the listener when it is a mode (not zeros) and not
    // the one announced last; `again` announces it even then. True when it
    // announced.
    bool Announce(const DisplayMode& now, bool again = false);
    // `mode` counts as announced (the mode at Open, or on another output).
    void TakeAsAnnounced(const DisplayMode& mode) { announced_ = mode; }
    const DisplayMode& Announced() const { return announced_; }

    // Runs the gone callback when `gone`, the first time only.
    void ReportGoneOnce(bool gone);

private:
    DisplayMode announced_;
    bool gone_reported_ = false;
    std::function<void()> on_gone_;
    int reply_timeout_ms_ = kDefaultReplyTimeoutMs;
    std::string last_error_;
    int last_error_code_ = DISP_CHANGE_SUCCESSFUL;
};

}  // namespace screen
