#include "platform/gdi/surface.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/gdi/vector_clones.h"

namespace gdi {

namespace {

// Rows painted together: a band of columns stays in the first-level cache
// even when every row starts on the same cache set (a 4096-byte stride).
constexpr int kBandRows = 8;
// A run of at least this many columns over the same rows, one in every four
// pixels or more, is painted as one overlay merged into each row.
constexpr std::ptrdiff_t kDenseMinColumns = 16;

bool Dense(std::ptrdiff_t count, int left, int right) {
    return count >= kDenseMinColumns && count * 4 >= right - left;
}

// The run of columns from `first` over the same rows as it, and the span of
// x it covers.
template <typename C>
const C* RunEnd(const C* first, const C* last, int* left, int* right) {
    const C* end = first + 1;
    *left = first->x;
    *right = first->x + 1;
    while (end != last && end->top == first->top && end->bottom == first->bottom) {
        *left = std::min(*left, end->x);
        *right = std::max(*right, end->x + 1);
        ++end;
    }
    return end;
}

// Writes `row` (width pixels) to rows [top, bottom) of the pixels at base;
// with streaming stores for blocks far larger than the caches.
void CopyRowDown(Pixel* base, std::ptrdiff_t width, const Pixel* row, int top, int bottom) {
    const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(Pixel);
#if defined(__SSE2__)
    if (StreamsStores(static_cast<std::int64_t>(bottom - top) * static_cast<std::int64_t>(bytes))) {
        for (int y = top; y < bottom; ++y) {
            Pixel* p = base + y * width;
            std::ptrdiff_t k = 0;
            for (; k < width && (reinterpret_cast<std::uintptr_t>(p + k) & 15) != 0; ++k) p[k] = row[k];
            for (; width - k >= 4; k += 4)
                _mm_stream_si128(reinterpret_cast<__m128i*>(p + k),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k)));
            for (; k < width; ++k) p[k] = row[k];
        }
        _mm_sfence();
        return;
    }
#endif
    for (int y = top; y < bottom; ++y) std::memcpy(base + y * width, row, bytes);
}

// Takes `paint` where keep is zero and leaves the other pixels alone: with
// masked stores, the pixels kept are never loaded.
CORVANE_VECTOR_CLONES("avx512f", "avx2", "default")
void MergeOverlay(Pixel* row, const Pixel* keep, const Pixel* paint, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        if (keep[k] == 0) row[k] = paint[k];
    }
}

// A dense run of columns over the same rows: one overlay (a mask and colours,
// the last column at each x winning) merged into every row.
template <typename C>
void PaintOverlay(Pixel* base, std::ptrdiff_t stride, const C* first, const C* last, int left, int right) {
    const std::size_t n = static_cast<std::size_t>(right - left);
    std::vector<Pixel> keep(n, ~Pixel{0}), paint(n, 0);
    for (const C* c = first; c != last; ++c) {
        keep[static_cast<std::size_t>(c->x - left)] = 0;
        paint[static_cast<std::size_t>(c->x - left)] = c->color;
    }
    for (int y = first->top; y < first->bottom; ++y)
        MergeOverlay(base + y * stride + left, keep.data(), paint.data(), n);
}

// Columns painted a band of rows at a time; each band takes them in order,
// so a later column over an earlier one wins.
template <typename C>
void PaintBanded(Pixel* base, std::ptrdiff_t stride, const C* first, const C* last) {
    int top = INT_MAX, bottom = 0;
    for (const C* c = first; c != last; ++c) {
        top = std::min(top, c->top);
        bottom = std::max(bottom, c->bottom);
    }
    for (int band = top; band < bottom; band += kBandRows) {
        const int band_end = std::min(band + kBandRows, bottom);
        for (const C* c = first; c != last; ++c) {
            const int y0 = std::max(c->top, band), y1 = std::min(c->bottom, band_end);
            Pixel* p = base + y0 * stride + c->x;
            for (int y = y0; y < y1; ++y, p += stride) *p = c->color;
        }
    }
}

}  // namespace

bool StreamsStores(std::int64_t bytes) {
    static const std::int64_t threshold = [] {
#ifdef _WIN32
        const long cache = 0;
#else
        const long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
#endif
        // Unknown cache sizes keep a bound that fits the caches of most machines.
        return cache > 0 ? 2 * static_cast<std::int64_t>(cache) : std::int64_t{16} << 20;
    }();
    return bytes >= threshold;
}

Surface::Surface(int width, int height, PixelVector storage)
    : width_(width), height_(height), storage_(std::move(storage)) {}

Surface::Surface(std::shared_ptr<const SharedPixels> shared)
    : width_(shared->width), height_(shared->height), shared_(std::move(shared)) {
    resource_id = shared_->resource_id;
}

std::shared_ptr<Surface> Surface::Create(int width, int height, std::string* error) {
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension) {
        if (error) {
            *error = "surface of " + std::to_string(width) + " x " + std::to_string(height) +
                     " refused: each side must be 0 to " + std::to_string(kMaxDimension);
        }
        return nullptr;
    }
    std::shared_ptr<Surface> s(new Surface(
        width, height, PixelVector(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))));
    // Every row of a new surface is zero.
    s->batch_.rows_alike = true;
    s->batch_.row.assign(static_cast<std::size_t>(width), 0);
    return s;
}

std::shared_ptr<Surface> Surface::CreateOver(Pixel* pixels, int width, int height, std::string* error) {
    // A size Create refuses is refused here too, with the same reason.
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension)
        return Create(width, height, error);
    if (!pixels && width > 0 && height > 0) {
        if (error) *error = "surface without pixels refused";
        return nullptr;
    }
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return std::shared_ptr<Surface>(
        new Surface(width, height, PixelVector(n, ZeroedAllocator<Pixel>(pixels, n * sizeof(Pixel)))));
}

std::shared_ptr<Surface> Surface::CreateSharing(std::shared_ptr<const SharedPixels> pixels) {
    if (!pixels || pixels->width < 0 || pixels->height < 0 ||
        pixels->pixels.size() !=
            static_cast<std::size_t>(pixels->width) * static_cast<std::size_t>(pixels->height))
        return nullptr;
    return std::shared_ptr<Surface>(new Surface(std::move(pixels)));
}

void Surface::Unshare() {
    storage_ = shared_->pixels;
    shared_.reset();
}

void Surface::Fill(Pixel color) {
    // The fill covers every pixel: shared ones need not be copied first.
    if (shared_) {
        storage_ = PixelVector(shared_->pixels.size());
        shared_.reset();
    }
    // Whatever was waiting is covered.
    batch_.columns.clear();
    batch_.rows_alike = batch_.row_due = true;
    batch_.row.assign(static_cast<std::size_t>(width_), color);
    MarkWritten(0, height_);
    if (!batching_) PaintBatch();
}

void Surface::AddColumn(int x, int top, int bottom, Pixel color) {
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    if (x < 0 || x >= width_ || top >= bottom) return;
    Own();
    if (batch_.columns.size() >= kMaxColumns) PaintBatch();
    MarkWritten(top, bottom);
    batch_.columns.push_back(Column{x, top, bottom, color});
    if (!batching_) PaintBatch();
}

void Surface::SetColumnBatching(bool on) {
    Flush();
    batching_ = on;
}

void Surface::PaintBatch() const {
    const Column* first = batch_.columns.data();
    const Column* const last = first + batch_.columns.size();
    // Painting the batch changes no pixel any reader can see: a surface is
    // only ever read through accessors that paint it first. A batch never
    // waits over shared pixels.
    Pixel* const base = const_cast<Pixel*>(storage_.data());
    const std::ptrdiff_t width = width_;
    if (batch_.rows_alike && width_ > 0 && height_ > 0) {
        // Dense runs of columns over every row change the one row alike.
        // One over some rows only gives those rows alike pixels too: the row
        // with the run is copied to them, the row without it to the others.
        std::vector<Pixel>& row = batch_.row;
        while (first != last) {
            int left = 0, right = 0;
            const Column* run_end = RunEnd(first, last, &left, &right);
            if (!Dense(run_end - first, left, right)) break;
            if (first->top != 0 || first->bottom != height_) {
                if (batch_.row_due) {
                    CopyRowDown(base, width, row.data(), 0, first->top);
                    CopyRowDown(base, width, row.data(), first->bottom, height_);
                }
                for (const Column* c = first; c != run_end; ++c)
                    row[static_cast<std::size_t>(c->x)] = c->color;
                CopyRowDown(base, width, row.data(), first->top, first->bottom);
                batch_.rows_alike = batch_.row_due = false;
                first = run_end;
                break;
            }
            for (const Column* c = first; c != run_end; ++c) row[static_cast<std::size_t>(c->x)] = c->color;
            batch_.row_due = true;
            first = run_end;
        }
        if (batch_.row_due) CopyRowDown(base, width, row.data(), 0, height_);
        // Any other column makes its rows differ.
        if (first != last) batch_.rows_alike = false;
    }
    batch_.row_due = false;
    // The rest, in order: dense runs over equal rows as overlays, what lies
    // between them in bands.
    const Column* banded = first;
    for (const Column* run = first; run != last;) {
        int left = 0, right = 0;
        const Column* run_end = RunEnd(run, last, &left, &right);
        if (Dense(run_end - run, left, right)) {
            if (banded != run) PaintBanded(base, width, banded, run);
            PaintOverlay(base, width, run, run_end, left, right);
            banded = run_end;
        }
        run = run_end;
    }
    if (banded != last) PaintBanded(base, width, banded, last);
    batch_.columns.clear();
}

}  // namespace gdi
