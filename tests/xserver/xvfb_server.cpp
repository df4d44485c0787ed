#include "tests/xserver/xvfb_server.h"

#include <unistd.h>

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

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& display, int timeout_ms) {
    return harness::Run({argv, harness::EnvironmentWith({{"DISPLAY", display}})}, timeout_ms);
}

std::unique_ptr<harness::Child> StartOnFreeDisplay(
    const std::function<std::vector<std::string>(int number)>& argv, int attempts, int timeout_ms,
    int* number) {
    *number = -1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        *number = XvfbServer::FreeDisplayNumber(*number);
        if (*number < 0) break;
        // End of file before the number means it gave up (another server took it).
        std::unique_ptr<harness::Child> server = harness::Child::StartAndReadLine(
            {argv(*number)},
            [](int fd) {
                return std::vector<std::string>{"-displayfd", std::to_string(fd)};
            },
            timeout_ms, nullptr, nullptr);
        if (server) return server;
    }
    return nullptr;
}

std::unique_ptr<XvfbServer> XvfbServer::Start(std::string* error, const std::string& screen,
                                              const std::vector<std::string>& extra_args) {
    int number = -1;
    auto child = StartOnFreeDisplay(
        [&](int n) {
            std::vector<std::string> argv = {
                "Xvfb", ":" + std::to_string(n), "-screen", "0", screen, "-noreset", "-nolisten", "tcp"};
            argv.insert(argv.end(), extra_args.begin(), extra_args.end());
            return argv;
        },
        kAttempts, kStartTimeoutMs, &number);
    if (child) return std::unique_ptr<XvfbServer>(new XvfbServer(std::move(child), number));
    if (error) *error = "Xvfb did not start (last display tried :" + std::to_string(number) + ")";
    return nullptr;
}

XvfbServer::XvfbServer(std::unique_ptr<harness::Child> child, int number)
    : child_(std::move(child)), number_(number), display_(":" + std::to_string(number)) {}

XvfbServer::~XvfbServer() {
    Stop();
}

void XvfbServer::Stop() {
    if (child_) child_->Stop(3000);
    child_.reset();
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
            if (error) *error = argv[1] + " " + mode.name + " failed: " + result.Output();
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
    if (result.status != 0 && error) *error = "xrandr --mode " + name + " failed: " + result.Output();
    return result.status == 0;
}

bool XvfbServer::QueryScreenSize(int* width, int* height) const {
    const CommandResult result = Run({"xrandr", "--query"});
    if (result.status != 0) return false;
    const std::size_t at = result.Output().find("current ");
    if (at == std::string::npos) return false;
    return std::sscanf(result.Output().c_str() + at, "current %d x %d", width, height) == 2;
}

}  // namespace xtest
