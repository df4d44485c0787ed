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

void StoreGreysPortable(Pixel* out, const std::uint8_t* levels, std::size_t n, bool over_white) {
    for (std::size_t k = 0; k < n; ++k) {
        if (!over_white || levels[k] != 0xFF) out[k] = levels[k] * Pixel{0x010101};
    }
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

// Sixteen pixels per compare; the last group under a lane mask.
__attribute__((target("avx512f,bmi"))) std::size_t FirstNotWhiteAvx512(const Pixel* p, std::size_t n) {
    const __m512i white = _mm512_set1_epi32(static_cast<int>(kWhite));
    for (std::size_t k = 0; k < n; k += 16) {
        const std::size_t m = std::min<std::size_t>(16, n - k);
        const auto lanes = static_cast<__mmask16>((1u << m) - 1);
        const __mmask16 differs =
            _mm512_mask_cmpneq_epi32_mask(lanes, _mm512_maskz_loadu_epi32(lanes, p + k), white);
        if (differs != 0) return k + static_cast<std::size_t>(__builtin_ctz(differs));
    }
    return n;
}

__attribute__((target("avx512f,lzcnt"))) std::size_t EndOfNotWhiteAvx512(const Pixel* p, std::size_t n) {
    const __m512i white = _mm512_set1_epi32(static_cast<int>(kWhite));
    for (std::size_t end = n; end > 0;) {
        const std::size_t m = std::min<std::size_t>(16, end);
        const std::size_t k = end - m;
        const auto lanes = static_cast<__mmask16>((1u << m) - 1);
        const __mmask16 differs =
            _mm512_mask_cmpneq_epi32_mask(lanes, _mm512_maskz_loadu_epi32(lanes, p + k), white);
        if (differs != 0) return k + 32 - static_cast<std::size_t>(__builtin_clz(differs));
        end = k;
    }
    return 0;
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

// Sixteen levels widened to pixels per step; over white, lanes whose level
// is white are not written, and a line of them all is not touched at all.
__attribute__((target("avx512f"))) void StoreGreysAvx512(Pixel* out, const std::uint8_t* levels,
                                                         std::size_t n, bool over_white) {
    const __m512i spread = _mm512_set1_epi32(0x010101);
    const __m512i white = _mm512_set1_epi32(static_cast<int>(kWhite));
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + k));
        const __m512i px = _mm512_mullo_epi32(_mm512_maskz_cvtepu8_epi32(0xFFFF, v), spread);
        const __mmask16 lanes = over_white ? _mm512_cmpneq_epi32_mask(px, white) : __mmask16{0xFFFF};
        _mm512_mask_storeu_epi32(out + k, lanes, px);
    }
    StoreGreysPortable(out + k, levels + k, n - k, over_white);
}
#endif

}  // namespace

bool AllGrey(const Pixel* p, std::size_t n) {
    return std::all_of(p, p + n, [](Pixel q) {
        const Pixel b = q & 0xFF;
        return q == b * Pixel{0x010101};
    });
}

void StoreGreys(Pixel* out, const std::uint8_t* levels, std::size_t n, bool over_white) {
#if defined(__x86_64__)
    if (UsesAvx512()) return StoreGreysAvx512(out, levels, n, over_white);
#endif
    StoreGreysPortable(out, levels, n, over_white);
}

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

std::size_t FirstNotWhite(const Pixel* p, std::size_t n) {
#if defined(__x86_64__)
    if (UsesAvx512()) return FirstNotWhiteAvx512(p, n);
#endif
    std::size_t k = 0;
#if defined(__SSE2__)
    const __m128i white = _mm_set1_epi32(static_cast<int>(kWhite));
    for (; k + 4 <= n; k += 4) {
        const __m128i same = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)), white);
        if (_mm_movemask_epi8(same) != 0xFFFF) break;
    }
#endif
    while (k < n && p[k] == kWhite) ++k;
    return k;
}

std::size_t EndOfNotWhite(const Pixel* p, std::size_t n) {
#if defined(__x86_64__)
    if (UsesAvx512()) return EndOfNotWhiteAvx512(p, n);
#endif
    std::size_t end = n;
#if defined(__SSE2__)
    const __m128i white = _mm_set1_epi32(static_cast<int>(kWhite));
    for (; end >= 4; end -= 4) {
        const __m128i same =
            _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + end - 4)), white);
        if (_mm_movemask_epi8(same) != 0xFFFF) break;
    }
#endif
    while (end > 0 && p[end - 1] == kWhite) --end;
    return end;
}

}  // namespace gdi::text
