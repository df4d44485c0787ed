// A private Xvfb for tests: started on a free display number, stopped when
// the object goes (also when the test fails).
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tests/harness/child.h"

namespace xtest {

using harness::ProgramInstalled;
using CommandResult = harness::RunResult;

// Runs a command to its end with DISPLAY set to `display` (empty: unset).
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& display,
                         int timeout_ms = 10000);

// Starts an X server on the first free display number that takes, trying
// `attempts` numbers: `argv(number)` is its command line, to which
// "-displayfd FD" is added; the server is ready once it writes its number
// there. Null with `*number` the last number tried otherwise.
std::unique_ptr<harness::Child> StartOnFreeDisplay(
    const std::function<std::vector<std::string>(int number)>& argv, int attempts, int timeout_ms,
    int* number);

// A mode the tests add to the server, with the refresh its timing rounds to.
struct StandardMode {
    const char* name;
    int width;
    int height;
    int refresh;
    const char* modeline;  // clock in MHz and the h/v timings, as `xrandr --newmode` takes them
};

// 640x480, 800x600, 1024x768 and 1280x1024 at 60 Hz, 1280x1024 at 75 Hz.
std::span<const StandardMode> StandardModes();
const StandardMode* FindStandardMode(int width, int height, int refresh);

class XvfbServer {
public:
    static bool Installed();

    // Starts `Xvfb :N -screen 0 <screen> -noreset` plus `extra_args` and
    // returns once it accepts connections; null with `error` set otherwise.
    static std::unique_ptr<XvfbServer> Start(std::string* error, const std::string& screen = "1600x1200x24",
                                             const std::vector<std::string>& extra_args = {});

    // A display number nothing seems to use right now.
    static int FreeDisplayNumber(int after = -1);

    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    void Stop();
    bool Running() const { return child_ != nullptr; }
    pid_t Pid() const { return child_ ? child_->Pid() : -1; }
    int Number() const { return number_; }
    const std::string& DisplayName() const { return display_; }

    // Runs a command against this server (DISPLAY set).
    CommandResult Run(const std::vector<std::string>& argv) const;

    // `xrandr --newmode` then `--addmode` on the output "screen".
    bool AddMode(const StandardMode& mode, std::string* error);
    bool AddStandardModes(std::string* error);
    bool SwitchMode(const std::string& name, std::string* error);

    // The screen size `xrandr --query` reports as current; false when it cannot tell.
    bool QueryScreenSize(int* width, int* height) const;

private:
    XvfbServer(std::unique_ptr<harness::Child> child, int number);

    std::unique_ptr<harness::Child> child_;
    int number_ = -1;
    std::string display_;
};

}  // namespace xtest
