// Drawing-layer costs at full-screen sizes, each beside a memset of the same
// back buffer (the memory-bandwidth floor).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <utility>

#include "bench/ratio_reporter.h"
#include "platform/gdi/dc.h"

namespace {

struct Target {
    CDC dc;
    CBitmap bitmap;
    Target(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bitmap);
        dc.SetBkMode(TRANSPARENT);
    }
};

int Width(const benchmark::State& s) {
    return static_cast<int>(s.range(0));
}
int Height(const benchmark::State& s) {
    return static_cast<int>(s.range(1));
}

void Memset(benchmark::State& state) {
    Target t(Width(state), Height(state));
    auto& px = t.dc.surface()->pixels();
    for (auto _ : state) {
        std::memset(px.data(), 0xFF, px.size() * sizeof(px[0]));
        benchmark::DoNotOptimize(px.data());
        benchmark::ClobberMemory();
    }
}

void Clear(benchmark::State& state) {
    Target t(Width(state), Height(state));
    CBrush white(RGB(255, 255, 255));
    t.dc.SelectObject(&white);
    for (auto _ : state) {
        t.dc.PatBlt(0, 0, Width(state), Height(state), PATCOPY);
        benchmark::DoNotOptimize(std::as_const(*t.dc.surface()).pixels().data());  // the fill lands
        benchmark::ClobberMemory();
    }
}

void Stripes(benchmark::State& state) {
    Target t(Width(state), Height(state));
    const int w = Width(state), h = Height(state);
    for (auto _ : state) {
        for (int x = 0; x < w; x += 2) {
            t.dc.MoveTo(x, 0);
            t.dc.LineTo(x, h);
        }
        // Taking the whole picture makes every line of the iteration land.
        benchmark::DoNotOptimize(std::as_const(*t.dc.surface()).pixels().data());
        benchmark::ClobberMemory();
    }
}

// 80 characters of 26-pixel text as the pages draw their titles: opaque,
// black on white, over a white page.
void Text80(benchmark::State& state) {
    Target t(Width(state), Height(state));
    CBrush white(RGB(255, 255, 255));
    t.dc.SelectObject(&white);
    t.dc.PatBlt(0, 0, Width(state), Height(state), PATCOPY);
    t.dc.SetBkMode(OPAQUE);
    LOGFONTA lf{};
    lf.lfHeight = 26;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    CFont font;
    font.CreateFontIndirect(&lf);
    t.dc.SelectObject(&font);
    const std::string line =
        "Adjust the pitch until the vertical bars disappear, then select NEXT below. 0123";
    t.dc.TextOut(0, 0, line);  // warm the glyph cache
    for (auto _ : state) {
        t.dc.TextOut(10, 100, line);
        benchmark::ClobberMemory();
    }
    state.counters["glyphs/s"] =
        benchmark::Counter(static_cast<double>(line.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void Icon(benchmark::State& state, int dw, int dh) {
    Target t(Width(state), Height(state));
    CDC src;
    src.CreateCompatibleDC(&t.dc);
    CBitmap icon;
    icon.CreateCompatibleBitmap(&src, 22, 26);
    src.SelectObject(&icon);
    for (auto _ : state) {
        t.dc.StretchBlt(100, 100, dw, dh, &src, 0, 0, 22, 26, SRCCOPY);
        benchmark::ClobberMemory();
    }
}
void IconShrink(benchmark::State& state) {
    Icon(state, 16, 19);
}
void IconEnlarge(benchmark::State& state) {
    Icon(state, 44, 52);
}

#define SIZES Args({1920, 1080})->Args({3840, 2160})->ArgNames({"w", "h"})
BENCHMARK(Memset)->SIZES;
BENCHMARK(Clear)->SIZES;
BENCHMARK(Stripes)->SIZES;
BENCHMARK(Text80)->SIZES;
BENCHMARK(IconShrink)->SIZES;
BENCHMARK(IconEnlarge)->SIZES;

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("Memset");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
