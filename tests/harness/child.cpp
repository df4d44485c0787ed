#include "tests/harness/child.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace harness {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    if (path.empty()) return {};
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The one fork of the tests: the child gets a process group of its own,
// takes the user's account, and dies with this thread; then `in_child` runs
// (it must not return but by exec or _exit). Only async-signal-safe calls
// happen in the child before it.
template <typename InChild>
pid_t ForkChild(const User* user, InChild in_child) {
    const bool switch_user = user && user->uid != geteuid();
    const uid_t uid = user ? user->uid : 0;
    const gid_t gid = user ? user->gid : 0;
    const pid_t parent = getpid();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid > 0) setpgid(pid, pid);  // also from here, so Stop finds the group before the child ran
    if (pid != 0) return pid;
    setpgid(0, 0);
    if (switch_user && (setgroups(1, &gid) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) _exit(126);
    // After the user switch: changing credentials clears the death signal.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // the parent died before prctl took effect
    in_child();
    _exit(127);
}

// Reads `fd` until a whole line has come (true), it ends or time runs out.
bool ReadLine(int fd, int timeout_ms, std::string* line) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::string text;
    char buffer[256];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready <= 0) continue;  // a signal, or the time is up
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.append(buffer, static_cast<std::size_t>(n));
        if (const auto end = text.find('\n'); end != std::string::npos) {
            if (line) *line = text.substr(0, end);
            return true;
        }
    }
}

}  // namespace

Env EnvironmentWith(const Env& changes, const std::set<std::string>& dropped) {
    Env env;
    for (char** entry = environ; *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals) continue;
        std::string name(*entry, static_cast<std::size_t>(equals - *entry));
        if (!dropped.count(name)) env.emplace_back(std::move(name), equals + 1);
    }
    for (const auto& [name, value] : changes) {
        std::erase_if(env, [&](const auto& entry) { return entry.first == name; });
        if (!value.empty()) env.emplace_back(name, value);
    }
    return env;
}

std::unique_ptr<Child> Child::Start(const Launch& launch, std::string* error) {
    const auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return nullptr;
    };
    if (launch.argv.empty()) return fail("nothing to run");
    static int counter = 0;
    std::unique_ptr<Child> child(new Child);
    if (!launch.output_dir.empty()) {
        const std::string stem = launch.output_dir + "/" + fs::path(launch.argv[0]).filename().string() +
                                 "." + std::to_string(getpid()) + "." + std::to_string(++counter);
        child->out_path_ = stem + ".out";
        child->err_path_ = stem + ".err";
    }
    const auto open_output = [](const std::string& path) {
        return path.empty() ? open("/dev/null", O_WRONLY | O_CLOEXEC)
                            : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    };
    const int out_fd = open_output(child->out_path_);
    const int err_fd = open_output(child->err_path_);
    const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const auto close_all = [&] {
        for (int fd : {out_fd, err_fd, null_fd})
            if (fd >= 0) close(fd);
    };
    if (out_fd < 0 || err_fd < 0 || null_fd < 0) {
        close_all();
        return fail("cannot create output files in " + launch.output_dir);
    }

    // Built before fork: the child may only make async-signal-safe calls.
    std::vector<char*> args;
    for (const std::string& arg : launch.argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> entries;
    for (const auto& [name, value] : launch.env) entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const char* dir = launch.cwd.empty() ? nullptr : launch.cwd.c_str();
    const int keep_fd = launch.keep_fd;

    child->pid_ = ForkChild(launch.user, [&] {
        dup2(null_fd, STDIN_FILENO);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        if (keep_fd >= 0) fcntl(keep_fd, F_SETFD, 0);
        if (dir && chdir(dir) != 0) _exit(126);
        execvpe(args[0], args.data(), envp.data());
    });
    close_all();
    if (child->pid_ < 0) return fail(std::string("fork failed: ") + std::strerror(errno));
    return child;
}

std::unique_ptr<Child> Child::Fork(const User* user, const std::function<int()>& body) {
    std::unique_ptr<Child> child(new Child);
    child->pid_ = ForkChild(user, [&] {
        const int result = body();
        std::fflush(nullptr);
        _exit(result & 0xff);
    });
    return child->pid_ > 0 ? std::move(child) : nullptr;
}

std::unique_ptr<Child> Child::StartAndReadLine(
    Launch launch, const std::function<std::vector<std::string>(int fd)>& argv_for, int timeout_ms,
    std::string* line, std::string* error) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        if (error) *error = std::string("pipe failed: ") + std::strerror(errno);
        return nullptr;
    }
    const std::vector<std::string> more = argv_for(ready[1]);
    launch.argv.insert(launch.argv.end(), more.begin(), more.end());
    launch.keep_fd = ready[1];
    std::unique_ptr<Child> child = Start(launch, error);
    close(ready[1]);
    const bool said = child && ReadLine(ready[0], timeout_ms, line);
    close(ready[0]);
    if (!child || said) return child;
    if (error)
        *error = launch.argv[0] + " did not say it was ready within " + std::to_string(timeout_ms) + " ms";
    return nullptr;  // the destructor stops it
}

Child::~Child() {
    Stop();
}

void Child::Collect(int wait_status) {
    pid_ = -1;
    if (WIFEXITED(wait_status)) {
        result_.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        result_.status = -1;
        result_.signal = WTERMSIG(wait_status);
    }
    result_.out = ReadFile(out_path_);
    result_.err = ReadFile(err_path_);
}

bool Child::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
        Collect(status);
        return false;
    }
    return done == 0;
}

bool Child::Wait(int timeout_ms) {
    return WaitFor([this] { return !Running(); }, [] { return true; }, timeout_ms, 5);
}

std::string Child::Stdout() const {
    return ReadFile(out_path_);
}

std::string Child::Stderr() const {
    return ReadFile(err_path_);
}

double Child::CpuMilliseconds() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string line;
    std::getline(in, line);
    // Fields after the parenthesised name; utime and stime are the 14th and 15th.
    const auto close = line.rfind(')');
    if (pid_ <= 0 || close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return 1000.0 * static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void Child::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

void Child::Stop(int grace_ms) {
    if (pid_ <= 0) return;
    const pid_t group = pid_;
    if (Running()) {
        kill(-group, SIGTERM);
        if (!Wait(grace_ms)) {
            kill(-group, SIGKILL);
            int status = 0;
            while (waitpid(group, &status, 0) < 0 && errno == EINTR) {
            }
            Collect(status);
        }
        result_.timed_out = true;
    }
    // Whatever it left in its group goes too (the group id stays reserved
    // while any member lives, so this reaches only our processes).
    kill(-group, SIGKILL);
}

RunResult Run(Launch launch, int timeout_ms) {
    std::string scratch;
    if (launch.output_dir.empty()) {
        char pattern[] = "/tmp/corvane-run-XXXXXX";
        if (mkdtemp(pattern)) scratch = launch.output_dir = pattern;
    }
    RunResult result;
    std::string error;
    if (std::unique_ptr<Child> child = Child::Start(launch, &error)) {
        if (!child->Wait(timeout_ms)) child->Stop(0);
        result = child->Result();
    } else {
        result.err = error;
    }
    std::error_code ec;
    if (!scratch.empty()) fs::remove_all(scratch, ec);
    return result;
}

bool ProgramInstalled(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::istringstream dirs(path);
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (access(((dir.empty() ? "." : dir) + "/" + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool WaitFor(const std::function<bool()>& ready, const std::function<bool()>& alive, int timeout_ms,
             int interval_ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (ready()) return true;
        if (!alive() || Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(interval_ms));
    }
}

}  // namespace harness
