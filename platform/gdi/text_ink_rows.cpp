#include "platform/gdi/text_ink_rows.h"

#include "platform/gdi/vector_unit.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace gdi::text {

namespace {

void BlendPixels(Pixel* dst, const Pixel* ink, const std::uint8_t* coverage, std::size_t from, std::size_t to,
                 Pixel color) {
    for (std::size_t k = from; k < to; ++k) {
        if (coverage[k] != 0) dst[k] = dst[k] == kWhite ? ink[k] : Blend(dst[k], color, coverage[k]);
    }
}

void InkOverPortable(const InkBox& b, Pixel color) {
    Pixel* dst = b.dst;
    const Pixel* ink = b.ink;
    const std::uint8_t* coverage = b.coverage;
    for (std::size_t r = 0; r < b.rows;
         ++r, dst += b.dst_stride, ink += b.ink_stride, coverage += b.coverage_stride) {
        std::size_t k = 0;
#if defined(__SSE2__)
        // Four pixels at a time where all four are white.
        const __m128i white = _mm_set1_epi32(static_cast<int>(kWhite));
        for (; k + 4 <= b.reach; k += 4) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + k));
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(d, white)) == 0xFFFF) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(ink + k)));
                continue;
            }
            BlendPixels(dst, ink, coverage, k, std::min(k + 4, b.n), color);
        }
#endif
        if (k < b.n) BlendPixels(dst, ink, coverage, k, b.n, color);
    }
}

void InkOnWhitePortable(const InkBox& b) {
    Pixel* dst = b.dst;
    const Pixel* ink = b.ink;
    for (std::size_t r = 0; r < b.rows; ++r, dst += b.dst_stride, ink += b.ink_stride)
        std::copy_n(ink, b.n, dst);
}

#if defined(__x86_64__)
// Sixteen pixels per step under a lane mask: a glyph row of up to sixteen
// pixels is one load, one compare and one store, and nothing past n is touched.
__attribute__((target("avx512f"))) void InkOverAvx512(const InkBox& b, Pixel color) {
    const __m512i white = _mm512_set1_epi32(static_cast<int>(kWhite));
    Pixel* dst = b.dst;
    const Pixel* ink = b.ink;
    const std::uint8_t* coverage = b.coverage;
    for (std::size_t r = 0; r < b.rows;
         ++r, dst += b.dst_stride, ink += b.ink_stride, coverage += b.coverage_stride) {
        for (std::size_t k = 0; k < b.n; k += 16) {
            const std::size_t m = std::min<std::size_t>(16, b.n - k);
            const auto lanes = static_cast<__mmask16>((1u << m) - 1);
            const __m512i d = _mm512_maskz_loadu_epi32(lanes, dst + k);
            if (_mm512_mask_cmpeq_epi32_mask(lanes, d, white) == lanes) {
                _mm512_mask_storeu_epi32(dst + k, lanes, _mm512_maskz_loadu_epi32(lanes, ink + k));
                continue;
            }
            BlendPixels(dst, ink, coverage, k, k + m, color);
        }
    }
}

__attribute__((target("avx512f"))) void InkOnWhiteAvx512(const InkBox& b) {
    Pixel* dst = b.dst;
    const Pixel* ink = b.ink;
    for (std::size_t r = 0; r < b.rows; ++r, dst += b.dst_stride, ink += b.ink_stride) {
        for (std::size_t k = 0; k < b.n; k += 16) {
            const std::size_t m = std::min<std::size_t>(16, b.n - k);
            const auto lanes = static_cast<__mmask16>((1u << m) - 1);
            _mm512_mask_storeu_epi32(dst + k, lanes, _mm512_maskz_loadu_epi32(lanes, ink + k));
        }
    }
}
#endif

}  // namespace

void InkOver(const InkBox& box, Pixel color) {
#if defined(__x86_64__)
    if (UsesAvx512()) return InkOverAvx512(box, color);
#endif
    InkOverPortable(box, color);
}

void InkOnWhite(const InkBox& box) {
#if defined(__x86_64__)
    if (UsesAvx512()) return InkOnWhiteAvx512(box);
#endif
    InkOnWhitePortable(box);
}

}  // namespace gdi::text
