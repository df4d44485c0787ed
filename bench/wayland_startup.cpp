// On a private sway (headless backend) with its output at 1920x1080: the time
// from spawning corvane-adjust, a native Wayland client, to its first frame on
// the output, beside a minimal wl_shm client, medians of several runs. A
// frame counts as presented when one watched pixel of the output, read from
// outside with screencopy, has turned white.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/peak_memory.h"
#include "bench/screencopy_pixel.h"
#include "tests/wayland/compositor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kRuns = 11;
constexpr int kProbeX = 10;
constexpr int kProbeY = 10;
// Each reading of the probe waits for the output's next frame, so the
// output runs at 1000 Hz: at 60 Hz every reading would be rounded up to the
// next 16.7 ms, which is as long as the minimal client's whole start.
constexpr const char* kOutputMode = "1920x1080@1000Hz";

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// Milliseconds from `since` until the watched pixel satisfies `done`;
// negative after 10 s or when the output cannot be read.
template <typename Done>
double WaitForPixel(bench::ScreencopyPixel& probe, Clock::time_point since, Done done) {
    while (Clock::now() - since < std::chrono::seconds(10)) {
        const auto pixel = probe.Read(kProbeX, kProbeY);
        if (!pixel) return -1;
        if (done(*pixel)) return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
    }
    return -1;
}

struct StartUpFigures {
    std::vector<double> times;
    long peak_kib = -1;  // the largest VmHWM seen right after a first frame
};

// One start of `program` until the watched pixel turns white; false when it
// could not be started.
bool StartOnce(const wltest::SwayCompositor& sway, bench::ScreencopyPixel& probe, const std::string& program,
               StartUpFigures* figures) {
    WaitForPixel(probe, Clock::now(), [](std::uint32_t p) { return p != kWhite; });
    std::string error;
    const auto start = Clock::now();
    auto process = sway.Launch({program}, {}, &error);
    if (!process) {
        std::fprintf(stderr, "wayland_startup: %s\n", error.c_str());
        return false;
    }
    figures->times.push_back(WaitForPixel(probe, start, [](std::uint32_t p) { return p == kWhite; }));
    figures->peak_kib = std::max(figures->peak_kib, bench::PeakResidentKiB(process->Pid()));
    process->Stop(500);
    return true;
}

}  // namespace

int main() {
    if (!wltest::SwayCompositor::Installed()) {
        std::fprintf(stderr, "wayland_startup: sway is not installed\n");
        return 1;
    }
    std::string error;
    auto sway = wltest::SwayCompositor::Start(&error);
    if (!sway) {
        std::fprintf(stderr, "wayland_startup: %s\n", error.c_str());
        return 1;
    }
    const wltest::RunResult mode = sway->Swaymsg({"output", "HEADLESS-1", "mode", kOutputMode, "scale", "1"});
    const std::string adjust = sway->ExecutableForUser(CORVANE_ADJUST_PATH, &error);
    const std::string minimal = sway->ExecutableForUser(CORVANE_MINIMAL_SHM_PATH, &error);
    auto probe = bench::ScreencopyPixel::Connect(sway->WaylandSocketPath(), &error);
    if (mode.status != 0 || adjust.empty() || minimal.empty() || !probe) {
        std::fprintf(stderr, "wayland_startup: %s%s\n", error.c_str(), mode.err.c_str());
        return 1;
    }
    // Taken in turn, so that a change in the machine's load weighs on both alike.
    StartUpFigures a, m;
    for (int i = 0; i < kRuns; ++i) {
        if (!StartOnce(*sway, *probe, adjust, &a) || !StartOnce(*sway, *probe, minimal, &m)) return 1;
    }
    const double adjust_ms = Median(a.times);
    const double minimal_ms = Median(m.times);
    std::printf(
        "first frame on sway at 1920x1080: corvane-adjust %.1f ms, minimal wl_shm client %.1f ms, ratio "
        "%.2f\n",
        adjust_ms, minimal_ms, adjust_ms / minimal_ms);
    std::printf(
        "peak resident memory on sway at 1920x1080: corvane-adjust %ld KiB, minimal wl_shm client %ld KiB\n",
        a.peak_kib, m.peak_kib);
    return adjust_ms > 0 && minimal_ms > 0 ? 0 : 1;
}
