// Runs the X utilities the tests drive (xrandr, Xvfb) as child processes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace xtest {

struct CommandResult {
    int status = -1;     // exit status; -1 when it could not run, timed out or died of a signal
    std::string output;  // stdout and stderr together
};

// Runs `argv` to completion with DISPLAY set to `display`.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& display,
                         int timeout_ms = 10000);

// Whether `name` is an executable file in a directory of $PATH.
bool ProgramInstalled(const std::string& name);

// Starts `argv` with its stdout and stderr on /dev/null and `keep_fd` left
// open in the child. The child gets SIGTERM if this thread ends first, so a
// crashed test leaves no server behind. Returns the pid, or -1.
pid_t Spawn(const std::vector<std::string>& argv, int keep_fd);

// Sends SIGTERM, then SIGKILL after `grace_ms`, and reaps the child.
void Terminate(pid_t pid, int grace_ms = 3000);

}  // namespace xtest
