// A private Xvfb for tests: started on a free display number, stopped by its
// pid when the object goes (also when the test fails).
#pragma once

#include <sys/types.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "tests/xserver/subprocess.h"

namespace xtest {

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
    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
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
    XvfbServer(pid_t pid, int number);

    pid_t pid_ = -1;
    int number_ = -1;
    std::string display_;
};

}  // namespace xtest
