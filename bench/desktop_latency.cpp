// On a private 1920x1080 Xvfb: the time from process start to the first
// presented frame of corvane-adjust beside a minimal SDL2 program; on private
// 1920x1080 and 3840x2160 servers, the peak resident memory once the first
// page is up and the time from a mouse press to the presented answer. A frame
// counts as presented when one watched pixel of the root window has its new
// colour. The programs run with a private session bus, as on a desktop.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/session_bus.h"
#include "tests/e2e/snapshot_run.h"
#include "tests/xserver/xvfb_server.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned long kWhite = 0xFFFFFF;
constexpr int kRuns = 7;

unsigned long PixelAt(Display* d, int x, int y) {
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
}

// Milliseconds until the pixel satisfies `done`; negative after 10 s.
template <typename Done>
double WaitForPixel(Display* d, int x, int y, Clock::time_point since, Done done) {
    while (Clock::now() - since < std::chrono::seconds(10)) {
        if (done(PixelAt(d, x, y)))
            return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
    }
    return -1;
}

pid_t Spawn(const std::string& path, const std::string& display) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;  // a failed fork: kill(-1) would reach every process
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A started program, killed and reaped when the guard goes, on every path.
struct Child {
    pid_t pid;
    ~Child() { Stop(pid); }
};

// A private Xvfb of `size` (WxH) with a black root, and a connection to it.
struct PrivateServer {
    std::unique_ptr<xtest::XvfbServer> server;
    Display* display = nullptr;
    ~PrivateServer() {
        if (display) XCloseDisplay(display);
    }
    std::string name() const { return server->DisplayName(); }
};

std::unique_ptr<PrivateServer> StartServer(const std::string& size) {
    auto s = std::make_unique<PrivateServer>();
    std::string error;
    s->server = xtest::XvfbServer::Start(&error, size + "x24", {"-br"});
    if (!s->server) {
        std::fprintf(stderr, "desktop_latency: %s\n", error.c_str());
        return nullptr;
    }
    s->display = XOpenDisplay(s->name().c_str());
    return s->display ? std::move(s) : nullptr;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// One start of `path` until pixel (10, 10) turns white, in milliseconds.
double StartOnce(Display* d, const std::string& path, const std::string& display) {
    WaitForPixel(d, 10, 10, Clock::now(), [](unsigned long p) { return p != kWhite; });
    const auto start = Clock::now();
    const pid_t pid = Spawn(path, display);
    const double ms = WaitForPixel(d, 10, 10, start, [](unsigned long p) { return p == kWhite; });
    Stop(pid);
    return ms;
}

// Medians of kRuns starts of each program, taken in turn so that a change in
// the machine's load weighs on both alike.
std::pair<double, double> StartUps(Display* d, const std::string& a, const std::string& b,
                                   const std::string& display) {
    std::vector<double> times_a, times_b;
    for (int i = 0; i < kRuns; ++i) {
        times_a.push_back(StartOnce(d, a, display));
        times_b.push_back(StartOnce(d, b, display));
    }
    return {Median(times_a), Median(times_b)};
}

// A pixel on row y (or below) where two pictures of the same size differ.
std::optional<e2e::Point> FirstDifference(const e2e::Image& a, const e2e::Image& b, int y) {
    if (a.width != b.width || a.height != b.height || a.empty()) return std::nullopt;
    for (int row = std::max(y, 0); row < a.height; ++row) {
        for (int x = 0; x < a.width; ++x) {
            const std::size_t k = static_cast<std::size_t>(row * a.width + x);
            if ((a.pixels[k] & 0xFFFFFF) != (b.pixels[k] & 0xFFFFFF)) return e2e::Point{x, row};
        }
    }
    return std::nullopt;
}

// Press on two chart rows in turn, on a private Xvfb of width x height: each
// press highlights its row. Prints the median and the worst of 2 * kRuns.
bool PressLatency(int width, int height, const std::string& dir) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const auto server = StartServer(size);
    if (!server) return false;
    Display* d = server->display;
    const e2e::Snapshot welcome = e2e::RunSnapshot(dir, size + "@0/32", "");
    const e2e::Snapshot chart = e2e::RunSnapshot(dir, size + "@0/32", "click adjust");
    const auto adjust_button = welcome.ButtonCentre("adjust");
    const auto rows = std::vector{chart.TextCentre("15\""), chart.TextCentre("16\"")};
    if (!adjust_button || !rows[0] || !rows[1]) return false;

    const Child adjust{Spawn(CORVANE_ADJUST_PATH, server->name())};
    WaitForPixel(d, 10, 10, Clock::now(), [](unsigned long p) { return p == kWhite; });
    const auto click = [d](int x, int y) {
        // As a hand does: the pointer arrives, rests, then presses.
        XTestFakeMotionEvent(d, 0, x, y, CurrentTime);
        XSync(d, False);
        usleep(20000);
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
        XFlush(d);
        const auto pressed = Clock::now();
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
        XFlush(d);
        return pressed;
    };
    // The chart is up when the first row's label has the chart page's colour
    // where the welcome page has another: the probe beside it is white on both.
    const auto changed = FirstDifference(welcome.image, chart.image, rows[0]->y);
    if (!changed) return false;
    // A click on a loaded server can be lost: Adjust is clicked again while
    // the chart has not come up, and presses on another page would measure nothing.
    const unsigned long chart_pixel =
        chart.image.pixels[static_cast<std::size_t>(changed->y * chart.image.width + changed->x)] & 0xFFFFFF;
    bool chart_shown = false;
    for (int attempt = 0; attempt < 3 && !chart_shown; ++attempt) {
        click(adjust_button->x, adjust_button->y);
        chart_shown = WaitForPixel(d, changed->x, changed->y, Clock::now(),
                                   [&](unsigned long p) { return p == chart_pixel; }) >= 0;
    }
    if (!chart_shown) {
        std::fprintf(stderr, "desktop_latency: the chart did not appear at %s\n", size.c_str());
        return false;
    }
    const int probe_x = rows[0]->x - 40;  // inside the row, left of its label
    std::vector<double> latencies;
    for (int i = 0; i < 2 * kRuns; ++i) {
        const e2e::Point row = *rows[i % 2];
        const unsigned long before = PixelAt(d, probe_x, row.y);
        const auto pressed = click(row.x, row.y);
        latencies.push_back(
            WaitForPixel(d, probe_x, row.y, pressed, [before](unsigned long p) { return p != before; }));
    }
    std::printf("press to presented highlight at %s: median %.2f ms, worst %.2f ms\n", size.c_str(),
                Median(latencies), *std::max_element(latencies.begin(), latencies.end()));
    return true;
}

// Peak resident memory of corvane-adjust once its first page is up on a
// private Xvfb of width x height, beside the size of one full-screen buffer.
bool PeakMemory(int width, int height) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const auto server = StartServer(size);
    if (!server) return false;
    long peak_kib = -1;
    bool shown = false;
    {
        const Child adjust{Spawn(CORVANE_ADJUST_PATH, server->name())};
        shown = WaitForPixel(server->display, 10, 10, Clock::now(),
                             [](unsigned long p) { return p == kWhite; }) >= 0;
        usleep(300000);  // the page settles (the window's first expose is answered)
        peak_kib = bench::PeakResidentKiB(adjust.pid);
    }
    if (!shown || peak_kib < 0) return false;
    const double buffer_mib = static_cast<double>(width) * height * 4 / (1024.0 * 1024.0);
    std::printf("peak resident memory at %s: corvane-adjust %.1f MiB, one back buffer (W*H*4) %.1f MiB\n",
                size.c_str(), peak_kib / 1024.0, buffer_mib);
    return true;
}

}  // namespace

int main() {
    const bench::SessionBus bus;
    if (!bus.running())
        std::fprintf(stderr,
                     "desktop_latency: no session bus could be started; start-up counts its launch\n");
    {
        const auto server = StartServer("1920x1080");
        if (!server) return 1;
        const auto [adjust, minimal] =
            StartUps(server->display, CORVANE_ADJUST_PATH, CORVANE_MINIMAL_FRAME_PATH, server->name());
        std::printf(
            "first frame at 1920x1080: corvane-adjust %.1f ms, minimal SDL2 program %.1f ms, ratio %.2f\n",
            adjust, minimal, adjust / minimal);
    }

    const std::string dir = "/tmp/corvane-latency-" + std::to_string(getpid());
    std::string mkdir = "mkdir -p " + dir;
    if (std::system(mkdir.c_str()) != 0) return 1;
    const bool memory = PeakMemory(1920, 1080) && PeakMemory(3840, 2160);
    const bool measured = PressLatency(1920, 1080, dir) && PressLatency(3840, 2160, dir);
    std::string rm = "rm -rf " + dir;
    return std::system(rm.c_str()) == 0 && measured && memory ? 0 : 1;
}
