#include "platform/gdi/surface.h"

#include "platform/gdi/vector_unit.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace gdi {

namespace {

// Rows painted together: a band of columns stays in the first-level cache
// even when every row starts on the same cache set (a 4096-byte stride).
constexpr int kBandRows = 8;
// Columns drawn over lazy rows before those are all written: each row
// written later takes every one that crosses it.
constexpr std::size_t kMaxLazyColumns = 64;
// Columns kept before they are painted anyway, bounding the batch's memory.
constexpr std::size_t kMaxColumns = std::size_t{1} << 16;

}  // namespace

bool StreamsStores(std::int64_t bytes) {
    static const std::int64_t threshold = [] {
        const long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
        // Unknown cache sizes keep a bound that fits the caches of most machines.
        return cache > 0 ? 2 * static_cast<std::int64_t>(cache) : std::int64_t{16} << 20;
    }();
    return bytes >= threshold;
}

Surface::Surface(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

std::shared_ptr<Surface> Surface::Create(int width, int height, std::string* error) {
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension) {
        if (error) {
            *error = "surface of " + std::to_string(width) + " x " + std::to_string(height) +
                     " refused: each side must be 0 to " + std::to_string(kMaxDimension);
        }
        return nullptr;
    }
    return std::shared_ptr<Surface>(new Surface(width, height));
}

void Surface::AddColumn(int x, int top, int bottom, Pixel color) {
    if (x < 0 || x >= width_) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    if (top >= bottom) return;
    if (lazy_ && batching_ && lazy_columns_.size() < kMaxLazyColumns) {
        // Rows already written take the column now; the others when they are.
        MarkWritten(top, bottom);
        lazy_columns_.push_back(Column{x, top, bottom, color});
        Pixel* const base = pixels_.data();
        for (int y = top; y < bottom; ++y) {
            if (!unpainted_[static_cast<std::size_t>(y)])
                base[static_cast<std::ptrdiff_t>(y) * width_ + x] = color;
        }
        return;
    }
    // Lazy rows are older than this column: they are written first.
    if (lazy_) PaintLazyRows(0, height_);
    if (columns_.size() >= kMaxColumns) Paint();
    MarkWritten(top, bottom);
    columns_.push_back(Column{x, top, bottom, color});
    pending_ = true;
    if (!batching_) Paint();
}

void Surface::Fill(Pixel color) {
    // Whatever was waiting is covered.
    columns_.clear();
    lazy_ = false;
    unpainted_count_ = 0;
    MarkWritten(0, height_);
    fill_pending_ = true;
    pending_ = true;
    fill_color_ = color;
    if (!batching_) Paint();
}

void Surface::SetColumnBatching(bool on) {
    Settle();
    batching_ = on;
}

namespace {

// Columns [first, last) of a batch, painted a band of rows at a time; each
// band takes the columns in order, so a later column over an earlier one wins.
template <typename Column>
void PaintBanded(Pixel* base, std::ptrdiff_t stride, const Column* first, const Column* last) {
    int top = INT_MAX;
    int bottom = 0;
    for (const Column* c = first; c != last; ++c) {
        top = std::min(top, c->top);
        bottom = std::max(bottom, c->bottom);
    }
    for (int band = top; band < bottom; band += kBandRows) {
        const int band_end = std::min(band + kBandRows, bottom);
        for (const Column* c = first; c != last; ++c) {
            const int y0 = std::max(c->top, band);
            const int y1 = std::min(c->bottom, band_end);
            if (y0 >= y1) continue;
            Pixel* p = base + y0 * stride + c->x;
            for (int y = y0; y < y1; ++y, p += stride) *p = c->color;
        }
    }
}

// Wider vector units where the processor has them: the merge is most of the
// cost of a page of stripes.
__attribute__((target_clones("avx512f", "avx2", "default"))) void MergeOverlay(Pixel* row, const Pixel* keep,
                                                                               const Pixel* paint,
                                                                               std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) row[k] = (row[k] & keep[k]) | paint[k];
}

#if defined(__x86_64__)
// The overlay as masked stores: only the painted pixels are written, and
// the kept ones are never loaded.
__attribute__((target("avx512f"))) void StoreOverlay(Pixel* row, const std::uint16_t* lanes,
                                                     const Pixel* paint, std::size_t n) {
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16)
        _mm512_mask_storeu_epi32(row + k, lanes[k / 16], _mm512_loadu_si512(paint + k));
    if (k < n) {
        const auto tail = static_cast<__mmask16>(lanes[k / 16] & ((1u << (n - k)) - 1));
        _mm512_mask_storeu_epi32(row + k, tail, _mm512_maskz_loadu_epi32(tail, paint + k));
    }
}
#endif

// Writes `row` (width pixels) to rows [top, bottom) of the surface. Large
// surfaces take streaming stores, which skip reading the old lines in.
void CopyRowDown(Pixel* base, std::ptrdiff_t width, const Pixel* row, int top, int bottom, bool stream) {
    const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(Pixel);
#if defined(__SSE2__)
    if (stream) {
        for (int y = top; y < bottom; ++y) {
            Pixel* p = base + y * width;
            std::ptrdiff_t k = 0;
            while (k < width && (reinterpret_cast<std::uintptr_t>(p + k) & 15) != 0) {
                p[k] = row[k];
                ++k;
            }
            for (; width - k >= 4; k += 4) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + k));
                _mm_stream_si128(reinterpret_cast<__m128i*>(p + k), v);
            }
            for (; k < width; ++k) p[k] = row[k];
        }
        _mm_sfence();
        return;
    }
#endif
    (void)stream;
    for (int y = top; y < bottom; ++y) std::memcpy(base + y * width, row, bytes);
}

// The overlay of columns [first, last) (see PaintOverlay) as a mask of the
// pixels each row keeps and the colours the columns paint, over [left, right).
template <typename Column>
void BuildOverlay(const Column* first, const Column* last, int left, int right, std::vector<Pixel>* keep,
                  std::vector<Pixel>* paint) {
    const std::size_t n = static_cast<std::size_t>(right - left);
    keep->assign(n, ~Pixel{0});
    paint->assign(n, 0);
    for (const Column* c = first; c != last; ++c) {
        const std::size_t k = static_cast<std::size_t>(c->x - left);
        (*keep)[k] = 0;
        (*paint)[k] = c->color;
    }
}

// Columns [first, last), all over the same rows and dense along the row:
// their pixels form one overlay (a mask and colours, the last column at each
// x winning) that is merged into every row with whole-row vector operations.
template <typename Column>
void PaintOverlay(Pixel* base, std::ptrdiff_t stride, const Column* first, const Column* last, int left,
                  int right) {
    const std::size_t n = static_cast<std::size_t>(right - left);
    std::vector<Pixel> keep;
    std::vector<Pixel> paint;
    BuildOverlay(first, last, left, right, &keep, &paint);
#if defined(__x86_64__)
    if (UsesAvx512()) {
        std::vector<std::uint16_t> lanes((n + 15) / 16, 0);
        for (std::size_t k = 0; k < n; ++k)
            if (keep[k] == 0) lanes[k / 16] |= static_cast<std::uint16_t>(1u << (k % 16));
        for (int y = first->top; y < first->bottom; ++y)
            StoreOverlay(base + y * stride + left, lanes.data(), paint.data(), n);
        return;
    }
#endif
    for (int y = first->top; y < first->bottom; ++y)
        MergeOverlay(base + y * stride + left, keep.data(), paint.data(), n);
}

// A run of at least this many columns over the same rows may use the overlay.
constexpr std::ptrdiff_t kOverlayMinColumns = 16;

// The run of columns from `first` over the same rows as it, and the span of
// x it covers; dense when an overlay of it pays.
template <typename Column>
const Column* RunEnd(const Column* first, const Column* last, int* left, int* right) {
    const Column* end = first + 1;
    *left = first->x;
    *right = first->x + 1;
    while (end != last && end->top == first->top && end->bottom == first->bottom) {
        *left = std::min(*left, end->x);
        *right = std::max(*right, end->x + 1);
        ++end;
    }
    return end;
}

bool Dense(std::ptrdiff_t count, int left, int right) {
    return count >= kOverlayMinColumns && count * 4 >= right - left;
}

}  // namespace

void Surface::PaintFill(const Column* first, const Column* last) const {
    Pixel* const base = pixels_.data();
    const std::ptrdiff_t width = width_;
    const bool stream = StreamsStores(static_cast<std::int64_t>(width_) * height_ * 4);
    std::vector<Pixel> row(static_cast<std::size_t>(width), fill_color_);
    int left = 0, right = 0;
    const Column* run_end = first == last ? last : RunEnd(first, last, &left, &right);
    if (first == last || !Dense(run_end - first, left, right)) {
        CopyRowDown(base, width, row.data(), 0, height_, stream);
        return;
    }
    // The fill and the first run of columns give every row of the run the
    // same pixels: compose that row once and write it down the surface.
    CopyRowDown(base, width, row.data(), 0, first->top, stream);
    CopyRowDown(base, width, row.data(), first->bottom, height_, stream);
    for (const Column* c = first; c != run_end; ++c) row[static_cast<std::size_t>(c->x)] = c->color;
    CopyRowDown(base, width, row.data(), first->top, first->bottom, stream);
}

// A fill, alone or with one dense run of columns over it, is the common start
// of a page: instead of writing the whole surface and then reading it back
// from far caches as the rest of the page is drawn, each row is written when
// it is first used, while it is hot for the drawing that follows. Rows never
// used individually are written together when the whole surface is needed.
bool Surface::StartLazyRows() const {
    if (!batching_ || !fill_pending_ || width_ == 0 || height_ == 0) return false;
    const Column* first = columns_.data();
    const Column* const last = first + columns_.size();
    int left = 0, right = 0;
    if (first != last && (RunEnd(first, last, &left, &right) != last || !Dense(last - first, left, right)))
        return false;
    lazy_fill_.assign(static_cast<std::size_t>(width_), fill_color_);
    lazy_run_ = lazy_fill_;
    lazy_run_top_ = lazy_run_bottom_ = 0;
    if (first != last) {
        for (const Column* c = first; c != last; ++c) lazy_run_[static_cast<std::size_t>(c->x)] = c->color;
        lazy_run_top_ = first->top;
        lazy_run_bottom_ = first->bottom;
    }
    lazy_columns_.clear();
    unpainted_.assign(static_cast<std::size_t>(height_), 1);
    unpainted_count_ = height_;
    fill_pending_ = false;
    columns_.clear();
    lazy_ = true;
    return true;
}

void Surface::PaintLazyRows(int top, int bottom) const {
    Pixel* const base = pixels_.data();
    const std::ptrdiff_t width = width_;
    const bool stream = StreamsStores(static_cast<std::int64_t>(bottom - top) * width * 4);
    int y = top;
    while (y < bottom) {
        if (!unpainted_[static_cast<std::size_t>(y)]) {
            ++y;
            continue;
        }
        // A stretch of unpainted rows that all take the same row image.
        const bool in_run = y >= lazy_run_top_ && y < lazy_run_bottom_;
        const int limit =
            std::min(bottom, in_run ? lazy_run_bottom_ : (y < lazy_run_top_ ? lazy_run_top_ : bottom));
        int end = y;
        while (end < limit && unpainted_[static_cast<std::size_t>(end)])
            unpainted_[static_cast<std::size_t>(end++)] = 0;
        CopyRowDown(base, width, in_run ? lazy_run_.data() : lazy_fill_.data(), y, end, stream);
        for (const Column& c : lazy_columns_) {
            for (int r = std::max(c.top, y); r < std::min(c.bottom, end); ++r)
                base[r * width + c.x] = c.color;
        }
        unpainted_count_ -= end - y;
        y = end;
    }
    if (unpainted_count_ == 0) lazy_ = false;
}

void Surface::PaintLazyRowAround(int y, int left, int right) const {
    left = std::clamp(left, 0, width_);
    right = std::clamp(right, left, width_);
    const Pixel* image = y >= lazy_run_top_ && y < lazy_run_bottom_ ? lazy_run_.data() : lazy_fill_.data();
    Pixel* const out = pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    std::copy(image, image + left, out);
    std::copy(image + right, image + width_, out + right);
    for (const Column& c : lazy_columns_) {
        if (y >= c.top && y < c.bottom && (c.x < left || c.x >= right)) out[c.x] = c.color;
    }
    unpainted_[static_cast<std::size_t>(y)] = 0;
    if (--unpainted_count_ == 0) lazy_ = false;
    pending_ = lazy_;
}

void Surface::PrepareRows(int top, int bottom) const {
    if (!pending_) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    if (!lazy_) {
        // A request for every row takes the whole-surface paint.
        const bool whole = top == 0 && bottom == height_;
        if (whole || !StartLazyRows()) {
            Paint();
            return;
        }
    }
    if (top < bottom) PaintLazyRows(top, bottom);
    pending_ = lazy_;
}

void Surface::Paint() const {
    const Column* begin = columns_.data();
    const Column* const end = begin + columns_.size();
    const std::ptrdiff_t stride = width_;
    Pixel* const base = pixels_.data();
    if (fill_pending_) {
        fill_pending_ = false;
        PaintFill(begin, end);
        if (begin != end) {
            int left = 0, right = 0;
            const Column* run_end = RunEnd(begin, end, &left, &right);
            if (Dense(run_end - begin, left, right)) begin = run_end;
        }
    }
    // Split the rest, in order, into dense runs over equal rows (overlay)
    // and what lies between them (banded).
    const Column* pending = begin;
    const Column* run = begin;
    while (run != end) {
        int left = 0, right = 0;
        const Column* run_end = RunEnd(run, end, &left, &right);
        if (Dense(run_end - run, left, right)) {
            if (pending != run) PaintBanded(base, stride, pending, run);
            PaintOverlay(base, stride, run, run_end, left, right);
            pending = run_end;
        }
        run = run_end;
    }
    if (pending != end) PaintBanded(base, stride, pending, end);
    columns_.clear();
    pending_ = false;
}

}  // namespace gdi
