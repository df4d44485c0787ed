#include "tests/xserver/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace xtest {
namespace {

using Clock = std::chrono::steady_clock;

// Built before fork: only async-signal-safe calls may run in the child.
struct Argv {
    explicit Argv(const std::vector<std::string>& args) {
        for (const std::string& arg : args) pointers.push_back(const_cast<char*>(arg.c_str()));
        pointers.push_back(nullptr);
    }
    std::vector<char*> pointers;
};

struct Environment {
    explicit Environment(const std::string& display) : display_entry("DISPLAY=" + display) {
        for (char** entry = environ; *entry; ++entry) {
            if (std::strncmp(*entry, "DISPLAY=", 8) != 0) pointers.push_back(*entry);
        }
        pointers.push_back(const_cast<char*>(display_entry.c_str()));
        pointers.push_back(nullptr);
    }
    std::string display_entry;
    std::vector<char*> pointers;
};

int WaitStatus(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& display, int timeout_ms) {
    CommandResult result;
    if (argv.empty()) return result;
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) return result;
    Argv args(argv);
    Environment env(display);
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipe_fds[0]);
        close(pipe_fds[1]);
        return result;
    }
    if (pid == 0) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        dup2(pipe_fds[1], STDERR_FILENO);
        execvpe(args.pointers[0], args.pointers.data(), env.pointers.data());
        _exit(127);
    }
    close(pipe_fds[1]);

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool timed_out = false;
    char buffer[4096];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timed_out = true;
            break;
        }
        pollfd fd{pipe_fds[0], POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipe_fds[0]);
    if (timed_out) kill(pid, SIGKILL);
    const int status = WaitStatus(pid);
    result.status = timed_out ? -1 : status;
    return result;
}

bool ProgramInstalled(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

pid_t Spawn(const std::vector<std::string>& argv, int keep_fd) {
    if (argv.empty()) return -1;
    Argv args(argv);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;

    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // the parent died before prctl took effect
    const int null_fd = open("/dev/null", O_RDWR);
    if (null_fd >= 0) {
        dup2(null_fd, STDIN_FILENO);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
    }
    if (keep_fd >= 0) fcntl(keep_fd, F_SETFD, 0);
    execvp(args.pointers[0], args.pointers.data());
    _exit(127);
}

void Terminate(pid_t pid, int grace_ms) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::milliseconds(grace_ms);
    int status = 0;
    while (Clock::now() < deadline) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    WaitStatus(pid);
}

}  // namespace xtest
