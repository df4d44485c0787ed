#include "platform/gdi/surface_rows.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/gdi/vector_unit.h"

namespace gdi::surface_rows {

namespace {

// Wider vector units where the processor has them: the merge is most of the
// cost of a page of stripes. Windows executables cannot pick a clone at load
// time (no ifunc): there the loop is built once.
#ifdef _WIN32
#define CORVANE_WIDEST_UNIT
#else
#define CORVANE_WIDEST_UNIT __attribute__((target_clones("avx512f", "avx2", "default")))
#endif
CORVANE_WIDEST_UNIT void MergeOverlay(Pixel* row, const Pixel* keep, const Pixel* paint, std::size_t n) {
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

}  // namespace

namespace {

// Spans shorter than this are written by vector stores: a string store's
// start-up costs more than they do.
constexpr std::size_t kShortSpan = 512;

#if defined(__x86_64__)
// n copies of an 8-byte pattern as one string store, which writes whole
// lines without reading them first, as a large memset does.
void StorePattern(void* dst, std::uint64_t pattern, std::size_t n) {
    asm volatile("rep stosq" : "+D"(dst), "+c"(n) : "a"(pattern) : "memory");
}

void CopyString(void* dst, const void* src, std::size_t bytes) {
    asm volatile("rep movsb" : "+D"(dst), "+S"(src), "+c"(bytes) : : "memory");
}

// n pixels of an 8-byte pattern (two pixels, the first at out[0]), sixteen
// at a time; the last group under a lane mask.
__attribute__((target("avx512f"))) void StoreShortAvx512(Pixel* out, std::uint64_t pattern, std::size_t n) {
    const __m512i v = _mm512_set1_epi64(static_cast<long long>(pattern));
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) _mm512_storeu_si512(out + k, v);
    if (k < n) _mm512_mask_storeu_epi32(out + k, static_cast<__mmask16>((1u << (n - k)) - 1), v);
}

void StoreShort(Pixel* out, std::uint64_t pattern, std::size_t n) {
    if (UsesAvx512()) {
        StoreShortAvx512(out, pattern, n);
        return;
    }
    const Pixel even = static_cast<Pixel>(pattern), odd = static_cast<Pixel>(pattern >> 32);
    for (std::size_t k = 0; k < n; ++k) out[k] = k % 2 == 0 ? even : odd;
}
#endif

}  // namespace

void FillPixels(Pixel* out, std::size_t n, Pixel color) {
#if defined(__x86_64__)
    if (n < kShortSpan) {
        StoreShort(out, static_cast<std::uint64_t>(color) << 32 | color, n);
        return;
    }
    StorePattern(out, static_cast<std::uint64_t>(color) << 32 | color, n / 2);
    if (n % 2 != 0) out[n - 1] = color;
#else
    std::fill(out, out + n, color);
#endif
}

void StoreRepeating(Pixel* out, const Pixel* image, std::ptrdiff_t from, std::ptrdiff_t to) {
    if (from >= to) return;
#if defined(__x86_64__)
    if (to - from >= 2) {
        const std::uint64_t pattern = static_cast<std::uint64_t>(image[from + 1]) << 32 | image[from];
        if (to - from < static_cast<std::ptrdiff_t>(kShortSpan)) {
            StoreShort(out + from, pattern, static_cast<std::size_t>(to - from));
            return;
        }
        StorePattern(out + from, pattern, static_cast<std::size_t>((to - from) / 2));
        if ((to - from) % 2 != 0) out[to - 1] = image[to - 1];
        return;
    }
#endif
    std::copy(image + from, image + to, out + from);
}

bool RepeatsEveryTwoPixels(const Pixel* row, std::ptrdiff_t width) {
    for (std::ptrdiff_t k = 2; k < width; ++k) {
        if (row[k] != row[k - 2]) return false;
    }
    return true;
}

void CopyRowDown(Pixel* base, std::ptrdiff_t width, const Pixel* row, int top, int bottom, bool stream,
                 bool repeats) {
    const std::size_t bytes = static_cast<std::size_t>(width) * sizeof(Pixel);
#if defined(__x86_64__)
    // A fill, or one-pixel stripes over one: the rows are one pattern of two pixels.
    if (repeats && width >= 2 && top < bottom) {
        const std::uint64_t pattern = static_cast<std::uint64_t>(row[1]) << 32 | row[0];
        if (width % 2 == 0) {
            StorePattern(base + top * width, pattern, static_cast<std::size_t>(bottom - top) * (bytes / 8));
            return;
        }
        for (int y = top; y < bottom; ++y) {
            Pixel* out = base + y * width;
            StorePattern(out, pattern, static_cast<std::size_t>(width / 2));
            out[width - 1] = row[width - 1];
        }
        return;
    }
#endif
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
#if defined(__x86_64__)
    // A string copy, like the string stores above, writes whole lines
    // without reading them first; the C library's copy of a few kilobytes
    // reads every line it writes.
    for (int y = top; y < bottom; ++y) CopyString(base + y * width, row, bytes);
#else
    for (int y = top; y < bottom; ++y) std::memcpy(base + y * width, row, bytes);
#endif
}

void MergeOverlayRows(Pixel* base, std::ptrdiff_t stride, int top, int bottom, int left,
                      const std::vector<Pixel>& keep, const std::vector<Pixel>& paint) {
    const std::size_t n = keep.size();
#if defined(__x86_64__)
    if (UsesAvx512()) {
        std::vector<std::uint16_t> lanes((n + 15) / 16, 0);
        for (std::size_t k = 0; k < n; ++k)
            if (keep[k] == 0) lanes[k / 16] |= static_cast<std::uint16_t>(1u << (k % 16));
        for (int y = top; y < bottom; ++y)
            StoreOverlay(base + y * stride + left, lanes.data(), paint.data(), n);
        return;
    }
#endif
    for (int y = top; y < bottom; ++y) MergeOverlay(base + y * stride + left, keep.data(), paint.data(), n);
}

}  // namespace gdi::surface_rows
