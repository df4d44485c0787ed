// Real Wayland compositors for tests: sway on wlroots' headless backend and
// mutter nested on a private Xvfb, each with its own XDG_RUNTIME_DIR.
//
// Who runs as whom:
// - Both compositors refuse or misbehave as root, so when the test runs as
//   root they run as the unprivileged user "corvane-test" (created with
//   useradd on first use). As any other user they run as that user.
// - A Wayland socket does not check who connects: the test process itself
//   (root under ctest) may connect to WaylandSocketPath() directly.
// - mutter's session bus is a dbus-daemon of ours whose policy also admits
//   the uid of the test process, so in-process D-Bus clients of the test
//   (sd-bus, GDBus) connect to BusAddress() as root. Programs under test
//   should still run as the user (Launch/Run below), as they would on a real
//   desktop.
// - The build tree may live where that user cannot read (/root). Run a
//   program of the build through ExecutableForUser(), which copies it into
//   the compositor's runtime directory.
//
// Everything started here is a harness::Child: its own process group, ended
// with the test thread or with the object.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/harness/child.h"
#include "tests/xserver/xvfb_server.h"

namespace wltest {

using harness::Env;
using harness::RunResult;
// The account compositors and their clients run as.
using TestUser = harness::User;
// A program started as the test user with stdout and stderr captured in
// files; destruction stops it (its whole process group) if still running.
using Process = harness::Child;

// The unprivileged test user when running as root (created if missing), the
// current user otherwise.
bool GetTestUser(TestUser* user, std::string* error);

// Runs `body` in a child process as `user` (X servers of a compositor admit
// only their user) and returns its result, 0..255; -1 when the child
// crashed or took longer than `timeout_ms` (then it is killed).
int RunAsUser(const TestUser& user, const std::function<int()>& body, int timeout_ms = 20000);

// What both compositors share: the user, the runtime directory, and how a
// client is started in the session.
class Compositor {
public:
    virtual ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    const TestUser& User() const { return user_; }
    const std::string& RuntimeDir() const { return runtime_dir_; }
    // WAYLAND_DISPLAY for clients (a name inside RuntimeDir()).
    const std::string& WaylandDisplay() const { return wayland_display_; }
    std::string WaylandSocketPath() const { return runtime_dir_ + "/" + wayland_display_; }
    // The session bus, or empty when the compositor has none.
    virtual std::string BusAddress() const { return {}; }

    // The environment of a client of this session: the test's own (minus
    // any display, bus and runtime settings) with XDG_RUNTIME_DIR, HOME,
    // WAYLAND_DISPLAY and the bus address of this session, then `extra`
    // (which wins; an empty value removes the variable).
    Env ClientEnv(const Env& extra = {}) const;

    // Starts a client as the test user in this session.
    std::unique_ptr<Process> Launch(const std::vector<std::string>& argv, const Env& extra = {},
                                    std::string* error = nullptr) const;
    // Runs a client to completion; killed after `timeout_ms`.
    RunResult Run(const std::vector<std::string>& argv, const Env& extra = {}, int timeout_ms = 10000) const;

    // A copy of the executable at `path` that the test user may run; empty
    // with `error` set when it cannot be made.
    std::string ExecutableForUser(const std::string& path, std::string* error = nullptr) const;

    // The compositor's main process, e.g. to kill it in a test.
    pid_t Pid() const;
    bool Running() const;
    // Ends the compositor at once (SIGKILL to its process group), as a crash would.
    void Kill();
    // The compositor's own log so far (stdout and stderr).
    std::string Log() const;

protected:
    Compositor() = default;
    bool MakeRuntimeDir(std::string* error);
    // Stops the compositor, then its helpers; safe to call twice.
    void StopAll();

    TestUser user_;
    std::string runtime_dir_;
    std::string wayland_display_;
    std::unique_ptr<Process> main_;                  // sway or mutter
    std::vector<std::unique_ptr<Process>> helpers_;  // stopped after main_
};

struct SwayOptions {
    bool xwayland = false;     // `xwayland force`: an XWayland server from the start
    std::string extra_config;  // appended to the config file
};

// sway on the headless backend (pixman renderer, no input devices, cursor
// hidden). Start returns once its one output, HEADLESS-1, is on.
class SwayCompositor final : public Compositor {
public:
    static bool Installed();
    static std::unique_ptr<SwayCompositor> Start(std::string* error, const SwayOptions& options = {});

    // SWAYSOCK for swaymsg.
    const std::string& IpcSocket() const { return ipc_socket_; }
    // `swaymsg ARGS...` against this sway; status 0 means it succeeded.
    RunResult Swaymsg(const std::vector<std::string>& args) const;
    // `swaymsg create_output`; the new output's name (HEADLESS-N) or empty.
    std::string CreateOutput(std::string* error = nullptr) const;
    // The X display of its XWayland (":N"), empty without one.
    const std::string& XwaylandDisplay() const { return xwayland_display_; }

private:
    SwayCompositor() = default;
    std::string ipc_socket_;
    std::string xwayland_display_;
};

// mutter nested on its own Xvfb with the dummy modes 1024x768 (current),
// 1280x1024 and 800x600, on its own session bus. Clients of the session get
// no DISPLAY: that Xvfb is mutter's, not theirs.
class MutterCompositor final : public Compositor {
public:
    static bool Installed();
    // `monitors` > 1 asks for that many dummy monitors (MUTTER_DEBUG_NUM_DUMMY_MONITORS).
    static std::unique_ptr<MutterCompositor> Start(std::string* error, int monitors = 1);

    std::string BusAddress() const override { return bus_address_; }
    // The Xvfb mutter draws its nested window on (for screenshots and clicks).
    const xtest::XvfbServer& Xvfb() const { return *xvfb_; }
    // `gdbus call --session --dest org.gnome.Mutter.DisplayConfig
    // --object-path /org/gnome/Mutter/DisplayConfig --method
    // org.gnome.Mutter.DisplayConfig.METHOD ARGS...` as the test user.
    RunResult CallDisplayConfig(const std::string& method, const std::vector<std::string>& args = {}) const;

    ~MutterCompositor() override;

private:
    MutterCompositor() = default;
    std::unique_ptr<xtest::XvfbServer> xvfb_;
    std::string bus_address_;
};

}  // namespace wltest
