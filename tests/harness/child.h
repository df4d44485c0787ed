// The one way tests start other programs: X servers, compositors, buses,
// the program under test and the utilities that drive it.
//
// Every child runs in a process group of its own and gets SIGTERM when the
// test thread ends (a crashed test leaves nothing behind); Stop() and the
// destructor end its whole group, SIGKILL after a bounded grace. Nothing
// else is ever signalled.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace harness {

using Env = std::vector<std::pair<std::string, std::string>>;

// This process's environment less `dropped`, then `changes` (which win; an
// empty value removes the variable).
Env EnvironmentWith(const Env& changes, const std::set<std::string>& dropped = {});

// An account to run a child as (switched to from root).
struct User {
    uid_t uid = 0;
    gid_t gid = 0;
    std::string name;
};

struct Launch {
    std::vector<std::string> argv;  // argv[0] without a '/' is looked up in $PATH
    Env env = EnvironmentWith({});  // exactly the child's environment
    std::string output_dir;         // stdout and stderr go to files here; empty: /dev/null
    std::string cwd;                // where it runs; empty: where the test runs
    int keep_fd = -1;               // a descriptor left open in the child
    const User* user = nullptr;     // the account to run as; null: this one
};

// What a finished child did.
struct RunResult {
    int status = -1;         // exit status; -1 when it died of a signal, timed out or could not start
    int signal = 0;          // the signal that ended it, if one did
    bool timed_out = false;  // it was still running when stopped (time-out or Stop)
    std::string out;
    std::string err;
    std::string Output() const { return out + err; }
};

class Child {
public:
    // Null with `error` set when it cannot start.
    static std::unique_ptr<Child> Start(const Launch& launch, std::string* error = nullptr);
    // Runs `body` in a forked copy of this process as `user` (null: this
    // one); its return value is the exit status.
    static std::unique_ptr<Child> Fork(const User* user, const std::function<int()>& body);
    // Starts `launch` with a pipe's write end left open to it, `argv_for(fd)`
    // appended to its argv, and waits until it writes a whole line there (how
    // X servers and buses say they are ready: -displayfd, --print-address).
    // The line, without its newline, goes to `line`. Null with `error` set
    // when it cannot start, ends first, or stays silent for `timeout_ms`.
    static std::unique_ptr<Child> StartAndReadLine(
        Launch launch, const std::function<std::vector<std::string>(int fd)>& argv_for, int timeout_ms,
        std::string* line, std::string* error);

    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // Waits until it ends, at most `timeout_ms`; true when it ended. The
    // result then holds its status and output.
    bool Wait(int timeout_ms);
    const RunResult& Result() const { return result_; }
    // What it wrote so far (also while running).
    std::string Stdout() const;
    std::string Stderr() const;
    // User plus system CPU time so far, in milliseconds; -1 once it ended.
    double CpuMilliseconds() const;
    // Sends `signal` to the process only (not its group).
    void Signal(int signal);
    // SIGTERM to its group, SIGKILL after `grace_ms`; reaps it.
    void Stop(int grace_ms = 2000);

private:
    Child() = default;
    void Collect(int wait_status);

    pid_t pid_ = -1;
    std::string out_path_;
    std::string err_path_;
    RunResult result_;
};

// Runs `launch` to its end and returns what it did; stopped after
// `timeout_ms`. Without an output directory the output is still captured.
RunResult Run(Launch launch, int timeout_ms = 10000);

// Whether `name` is an executable file in a directory of $PATH.
bool ProgramInstalled(const std::string& name);

// Polls `ready` every `interval_ms` until it holds (true), `alive` fails or
// time runs out (false).
bool WaitFor(const std::function<bool()>& ready, const std::function<bool()>& alive, int timeout_ms,
             int interval_ms = 50);

}  // namespace harness
