// The program under test as a child process: its own environment, its
// stderr kept in a file, stopped by its pid.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

class Program {
public:
    // Starts argv with the environment changed by `env` (an empty value
    // removes the variable); stderr goes to `stderr_path`.
    Program(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const std::string& stderr_path);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }
    // Its exit status once it ended within timeout_ms; -1 while it runs (or
    // when a signal ended it), and `ended` says which.
    int Wait(int timeout_ms, bool* ended);
    // User plus system CPU time so far, in milliseconds.
    double CpuMilliseconds() const;
    std::string Stderr() const;

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = -1;
    std::string stderr_path_;
};

}  // namespace e2e
