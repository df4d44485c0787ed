#include "tests/e2e/program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

Program::Program(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                 const std::string& stderr_path)
    : stderr_path_(stderr_path) {
    // Everything the child needs is built before fork.
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (!env.count(name)) entries.push_back(entry);
    }
    for (const auto& [name, value] : env) {
        if (!value.empty()) entries.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& e : entries) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args_copy(argv);
    std::vector<char*> args;
    for (std::string& a : args_copy) args.push_back(a.data());
    args.push_back(nullptr);

    const int err = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // Ends with the test, even when the test crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(126);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        if (err >= 0) dup2(err, STDERR_FILENO);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    if (err >= 0) close(err);
}

Program::~Program() {
    if (pid_ <= 0 || reaped_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

int Program::Wait(int timeout_ms, bool* ended) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!reaped_ && pid_ > 0) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            reaped_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (ended) *ended = reaped_;
    return reaped_ ? status_ : -1;
}

double Program::CpuMilliseconds() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string line;
    std::getline(in, line);
    // Fields after the parenthesised name; utime and stime are the 14th and 15th.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) stime = std::stol(field);
    }
    return 1000.0 * static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string Program::Stderr() const {
    std::ifstream in(stderr_path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace e2e
