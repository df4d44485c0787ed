// Each page's render at full-screen sizes, beside a plain clear of the same
// back buffer (the cost every page pays first).
#include <benchmark/benchmark.h>

#include "app/main_frame.h"
#include "bench/ratio_reporter.h"
#include "tools/snapshot/session.h"

namespace {

// The real program at one simulated mode, its drawing not recorded.
std::unique_ptr<snapshot::Session> StartUntraced(int width, int height) {
    auto session = snapshot::StartAt(width, height);
    CMainFrame::SetTrace(nullptr);
    session->frame()->BackBuffer.dc.SetTrace(nullptr);
    return session;
}

template <void (CMainFrame::*Render)()>
void Page(benchmark::State& state) {
    auto session = StartUntraced(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CMainFrame& frame = *session->frame();
    (frame.*Render)();  // warm the glyph cache
    const gdi::Surface& buffer = *frame.BackBuffer.dc.surface();
    for (auto _ : state) {
        (frame.*Render)();
        // Taking the whole picture lands all drawing still batched in the
        // surface, as presenting the frame does.
        benchmark::DoNotOptimize(buffer.pixels().data());
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
