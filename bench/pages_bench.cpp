// Each page's render at full-screen sizes, beside a plain clear of the same
// back buffer (the cost every page pays first).
#include <benchmark/benchmark.h>

#include "app/main_frame.h"
#include "bench/ratio_reporter.h"
#include "platform/host/headless/headless_host.h"
#include "platform/screen/simulated_driver.h"
#include "platform/ui/framework.h"
#include "res/app_resources.h"

namespace {

// The real main window on the headless host, at one simulated mode.
class App {
public:
    App(int width, int height) : driver_({width, height, 60, 32}) {
        RegisterAppResources();
        ui::SetHost(&host_);
        screen::SetDriver(&driver_);
        frame_ = new CMainFrame;  // deletes itself when its window is destroyed
    }
    ~App() {
        ui::ResetState();
        screen::SetDriver(nullptr);
    }
    CMainFrame& frame() { return *frame_; }

private:
    host::HeadlessHost host_;
    screen::SimulatedScreenDriver driver_;
    CMainFrame* frame_;
};

template <void (CMainFrame::*Render)()>
void Page(benchmark::State& state) {
    App app(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CMainFrame& frame = app.frame();
    (frame.*Render)();  // warm the glyph cache
    for (auto _ : state) {
        (frame.*Render)();
        benchmark::ClobberMemory();
    }
}

void Clear(benchmark::State& state) {
    Page<&CMainFrame::ClearPage>(state);
}
void Welcome(benchmark::State& state) {
    Page<&CMainFrame::RenderWelcomePage>(state);
}
void Pitch(benchmark::State& state) {
    Page<&CMainFrame::RenderPitchPage>(state);
}
void Phase(benchmark::State& state) {
    Page<&CMainFrame::RenderPhasePage>(state);
}
void Centering(benchmark::State& state) {
    Page<&CMainFrame::RenderCenteringPage>(state);
}
void Completion(benchmark::State& state) {
    Page<&CMainFrame::RenderCompletionPage>(state);
}

#define SIZES Args({1024, 768})->Args({1920, 1080})->Args({3840, 2160})->ArgNames({"w", "h"})
BENCHMARK(Clear)->SIZES;
BENCHMARK(Welcome)->SIZES;
BENCHMARK(Pitch)->SIZES;
BENCHMARK(Phase)->SIZES;
BENCHMARK(Centering)->SIZES;
BENCHMARK(Completion)->SIZES;

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("Clear");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
