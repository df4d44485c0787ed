#include "tests/xserver/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sstream>

namespace xtest {
namespace {

// CVT timings, except 640x480: its CVT rate is 59.38 Hz, which rounds to 59,
// so the VESA 60 Hz timing stands in.
constexpr StandardMode kStandardModes[] = {
    {"640x480_60.00", 640, 480, 60, "25.175 640 656 752 800 480 490 492 525 -hsync -vsync"},
    {"800x600_60.00", 800, 600, 60, "38.25 800 832 912 1024 600 603 607 624 -hsync +vsync"},
    {"1024x768_60.00", 1024, 768, 60, "63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync"},
    {"1280x1024_60.00", 1280, 1024, 60, "109.00 1280 1368 1496 1712 1024 1027 1034 1063 -hsync +vsync"},
    {"1280x1024_75.00", 1280, 1024, 75, "138.75 1280 1376 1512 1744 1024 1027 1034 1063 -hsync +vsync"},
};

constexpr int kStartTimeoutMs = 10000;
constexpr int kAttempts = 8;

bool DisplayInUse(int number) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
    return access(socket.c_str(), F_OK) == 0 || access(lock.c_str(), F_OK) == 0;
}

// Waits for Xvfb to write its display number to `fd`: it does so once it
// listens. End of file means it gave up (another server took the number).
bool WaitUntilReady(int fd) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    std::string text;
    char buffer[32];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd poll_fd{fd, POLLIN, 0};
        const int ready = poll(&poll_fd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.find('\n') != std::string::npos) return true;
    }
}

}  // namespace

std::span<const StandardMode> StandardModes() {
    return kStandardModes;
}

const StandardMode* FindStandardMode(int width, int height, int refresh) {
    for (const StandardMode& mode : kStandardModes) {
        if (mode.width == width && mode.height == height && mode.refresh == refresh) return &mode;
    }
    return nullptr;
}

bool XvfbServer::Installed() {
    return ProgramInstalled("Xvfb");
}

int XvfbServer::FreeDisplayNumber(int after) {
    // Start somewhere depending on the pid, so parallel test processes rarely race.
    const int first = after >= 0 ? after + 1 : 100 + static_cast<int>(getpid() % 400);
    for (int number = first; number < first + 1000; ++number) {
        if (!DisplayInUse(number)) return number;
    }
    return -1;
}

std::unique_ptr<XvfbServer> XvfbServer::Start(std::string* error, const std::string& screen,
                                              const std::vector<std::string>& extra_args) {
    int number = -1;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        number = FreeDisplayNumber(number);
        if (number < 0) break;
        int ready_pipe[2];
        if (pipe2(ready_pipe, O_CLOEXEC) != 0) break;
        std::vector<std::string> argv = {"Xvfb",       ":" + std::to_string(number),
                                         "-screen",    "0",
                                         screen,       "-noreset",
                                         "-nolisten",  "tcp",
                                         "-displayfd", std::to_string(ready_pipe[1])};
        argv.insert(argv.end(), extra_args.begin(), extra_args.end());
        const pid_t pid = Spawn(argv, ready_pipe[1]);
        close(ready_pipe[1]);
        if (pid < 0) {
            close(ready_pipe[0]);
            break;
        }
        std::unique_ptr<XvfbServer> server(new XvfbServer(pid, number));
        const bool ready = WaitUntilReady(ready_pipe[0]);
        close(ready_pipe[0]);
        if (ready) return server;
        // The destructor stops and reaps it; another number may do.
    }
    if (error) *error = "Xvfb did not start (last display tried :" + std::to_string(number) + ")";
    return nullptr;
}

XvfbServer::XvfbServer(pid_t pid, int number)
    : pid_(pid), number_(number), display_(":" + std::to_string(number)) {}

XvfbServer::~XvfbServer() {
    Stop();
}

void XvfbServer::Stop() {
    Terminate(pid_);
    pid_ = -1;
}

CommandResult XvfbServer::Run(const std::vector<std::string>& argv) const {
    return RunCommand(argv, display_);
}

bool XvfbServer::AddMode(const StandardMode& mode, std::string* error) {
    std::vector<std::string> newmode = {"xrandr", "--newmode", mode.name};
    std::istringstream timings(mode.modeline);
    for (std::string word; timings >> word;) newmode.push_back(word);
    for (const auto& argv : {newmode, std::vector<std::string>{"xrandr", "--addmode", "screen", mode.name}}) {
        const CommandResult result = Run(argv);
        if (result.status != 0) {
            if (error) *error = argv[1] + " " + mode.name + " failed: " + result.output;
            return false;
        }
    }
    return true;
}

bool XvfbServer::AddStandardModes(std::string* error) {
    for (const StandardMode& mode : kStandardModes) {
        if (!AddMode(mode, error)) return false;
    }
    return true;
}

bool XvfbServer::SwitchMode(const std::string& name, std::string* error) {
    const CommandResult result = Run({"xrandr", "--output", "screen", "--mode", name});
    if (result.status != 0 && error) *error = "xrandr --mode " + name + " failed: " + result.output;
    return result.status == 0;
}

bool XvfbServer::QueryScreenSize(int* width, int* height) const {
    const CommandResult result = Run({"xrandr", "--query"});
    if (result.status != 0) return false;
    const std::size_t at = result.output.find("current ");
    if (at == std::string::npos) return false;
    return std::sscanf(result.output.c_str() + at, "current %d x %d", width, height) == 2;
}

}  // namespace xtest
