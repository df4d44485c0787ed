#include "platform/gdi/blitter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi/vector_clones.h"

namespace gdi {

namespace {

std::uint32_t BlendChannel(std::uint32_t d, std::uint32_t c, std::uint32_t a) {
    const int v = (static_cast<int>(c) - static_cast<int>(d)) * static_cast<int>(a);
    const int q = v >= 0 ? (v + 127) / 255 : -((-v + 127) / 255);
    return static_cast<std::uint32_t>(static_cast<int>(d) + q);
}

// n pixels of one colour; the compiler vectorises the loop for each unit.
CORVANE_VECTOR_CLONES("avx512f", "avx2", "default") void FillPixels(Pixel* out, std::size_t n, Pixel color) {
    for (std::size_t k = 0; k < n; ++k) out[k] = color;
}

#if defined(__SSE2__)
// Rows of a box far larger than the caches: streaming stores skip reading
// the old lines in, which is what makes a large memset fast.
void StreamPixels(Pixel* p, std::size_t n, Pixel color) {
    const __m128i four = _mm_set1_epi32(static_cast<int>(color));
    Pixel* const end = p + n;
    while (p < end && (reinterpret_cast<std::uintptr_t>(p) & 15) != 0) *p++ = color;
    for (; end - p >= 4; p += 4) _mm_stream_si128(reinterpret_cast<__m128i*>(p), four);
    while (p < end) *p++ = color;
}
#endif

// Pixels [0, n) from src to dst for k <= n <= 2k: k from the start and k
// ending at n, overlapping in the middle. Each half is one vector move, so a
// glyph row costs two moves whatever its width.
template <std::size_t k>
void CopyHalves(Pixel* __restrict dst, const Pixel* __restrict src, std::size_t n) {
    std::memcpy(dst, src, k * sizeof(Pixel));
    std::memcpy(dst + n - k, src + n - k, k * sizeof(Pixel));
}

// Up to 32 pixels from src to dst.
void CopyShortRow(Pixel* __restrict dst, const Pixel* __restrict src, std::size_t n) {
    if (n >= 16) {
        CopyHalves<16>(dst, src, n);
    } else if (n >= 8) {
        CopyHalves<8>(dst, src, n);
    } else if (n >= 4) {
        CopyHalves<4>(dst, src, n);
    } else if (n >= 2) {
        CopyHalves<2>(dst, src, n);
    } else if (n == 1) {
        dst[0] = src[0];
    }
}

// Whether pixels [0, n) at p, k <= n <= 2k, are all white: the same two
// overlapping halves, compared at once.
template <std::size_t k>
bool WhiteHalves(const Pixel* p, std::size_t n) {
    Pixel head[k], tail[k];
    std::memcpy(head, p, sizeof(head));
    std::memcpy(tail, p + n - k, sizeof(tail));
    std::uint32_t other = 0;
    for (std::size_t i = 0; i < k; ++i) other |= (head[i] ^ kWhitePixel) | (tail[i] ^ kWhitePixel);
    return other == 0;
}

// Whether the first n (up to 32) pixels at p are all white.
bool AllWhiteShort(const Pixel* p, std::size_t n) {
    if (n >= 16) return WhiteHalves<16>(p, n);
    if (n >= 8) return WhiteHalves<8>(p, n);
    if (n >= 4) return WhiteHalves<4>(p, n);
    if (n >= 2) return WhiteHalves<2>(p, n);
    return n == 0 || p[0] == kWhitePixel;
}

// One glyph row over any pixels. Where no covered pixel is other than white,
// each pixel becomes its ink where it is white (ink is white where nothing is
// covered): one pass the compiler vectorises. Otherwise pixel by pixel.
CORVANE_VECTOR_CLONES("avx2", "default")
void InkRow(Pixel* dst, const Pixel* ink, const std::uint8_t* coverage, std::size_t n, Pixel color) {
    // Branch-free, so that the compiler vectorises the test as well.
    std::uint32_t blends = 0;
    for (std::size_t k = 0; k < n; ++k)
        blends |=
            static_cast<std::uint32_t>(coverage[k] != 0) & static_cast<std::uint32_t>(dst[k] != kWhitePixel);
    if (blends == 0) {
        for (std::size_t k = 0; k < n; ++k) dst[k] = dst[k] == kWhitePixel ? ink[k] : dst[k];
        return;
    }
    for (std::size_t k = 0; k < n; ++k) {
        if (coverage[k] != 0) dst[k] = dst[k] == kWhitePixel ? ink[k] : Blend(dst[k], color, coverage[k]);
    }
}

// The rows of a glyph's ink, n pixels each, onto the surface: copied over
// white (all white when `over_white`), blended elsewhere. Built per unit so
// that a half of eight pixels is one move.
CORVANE_VECTOR_CLONES("avx2", "default")
void InkRows(Pixel* dst, std::ptrdiff_t stride, const Pixel* ink, std::ptrdiff_t ink_stride,
             const std::uint8_t* coverage, std::ptrdiff_t coverage_stride, std::size_t n, std::int64_t rows,
             Pixel color, bool over_white) {
    for (std::int64_t r = 0; r < rows; ++r, dst += stride, ink += ink_stride, coverage += coverage_stride) {
        if (n <= 32 && (over_white || AllWhiteShort(dst, n))) {
            CopyShortRow(dst, ink, n);
        } else if (over_white) {
            std::memcpy(dst, ink, n * sizeof(Pixel));
        } else {
            // A glyph row over white pixels alone is its ink (white where
            // nothing is covered), as over a white cell.
            InkRow(dst, ink, coverage, n, color);
        }
    }
}

}  // namespace

Pixel Blend(Pixel dst, Pixel color, std::uint32_t a) {
    if (a == 255) return color;
    const std::uint32_t r = BlendChannel((dst >> 16) & 0xFF, (color >> 16) & 0xFF, a);
    const std::uint32_t g = BlendChannel((dst >> 8) & 0xFF, (color >> 8) & 0xFF, a);
    const std::uint32_t b = BlendChannel(dst & 0xFF, color & 0xFF, a);
    return (r << 16) | (g << 8) | b;
}

void Blitter::Span(std::int64_t x, std::int64_t y, std::int64_t n, Pixel color) {
    FillRect(Rect{x, y, x + n, y + 1}, color);
}

void Blitter::VerticalRun(std::int64_t x, std::int64_t top, std::int64_t bottom, Pixel color) {
    const Rect r = Rect{x, top, x + 1, bottom}.Intersected(BoundsOf(s_));
    if (!r.IsEmpty())
        s_.AddColumn(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.bottom), color);
}

void Blitter::FillRect(const Rect& r, Pixel color) {
    const Rect box = r.Intersected(BoundsOf(s_));
    if (box.IsEmpty()) return;
    if (box == BoundsOf(s_)) {
        s_.Fill(color);
        return;
    }
    const std::size_t n = static_cast<std::size_t>(box.Width());
    const int top = static_cast<int>(box.top), bottom = static_cast<int>(box.bottom);
    Pixel* p = s_.rows(top, bottom) + box.left;
#if defined(__SSE2__)
    if (StreamsStores(box.Width() * box.Height() * 4)) {
        for (int y = top; y < bottom; ++y, p += s_.width()) StreamPixels(p, n, color);
        _mm_sfence();
        return;
    }
#endif
    for (int y = top; y < bottom; ++y, p += s_.width()) FillPixels(p, n, color);
}

void Blitter::Mask(const GlyphMask& glyph, std::int64_t x, std::int64_t y, Pixel color, bool over_white) {
    const Rect box = Rect::FromSize(x, y, glyph.width, glyph.rows).Intersected(BoundsOf(s_));
    if (box.IsEmpty()) return;
    const std::size_t n = static_cast<std::size_t>(box.Width());
    const std::int64_t dx = box.left - x, dy = box.top - y;
    Pixel* dst = s_.rows(static_cast<int>(box.top), static_cast<int>(box.bottom)) + box.left;
    const std::uint8_t* coverage = glyph.coverage + dy * glyph.width + dx;
    if (!glyph.ink) {
        for (std::int64_t r = box.top; r < box.bottom; ++r, dst += s_.width(), coverage += glyph.width) {
            for (std::size_t k = 0; k < n; ++k) {
                if (coverage[k] != 0) dst[k] = Blend(dst[k], color, coverage[k]);
            }
        }
        return;
    }
    InkRows(dst, s_.width(), glyph.ink + dy * glyph.ink_stride + dx, glyph.ink_stride, coverage, glyph.width,
            n, box.Height(), color, over_white);
}

void Blitter::ImageRow(std::int64_t x, std::int64_t y, const Pixel* src, std::int64_t n) {
    const Rect box = Rect{x, y, x + n, y + 1}.Intersected(BoundsOf(s_));
    if (box.IsEmpty()) return;
    std::memmove(s_.row(static_cast<int>(y)) + box.left, src + (box.left - x),
                 static_cast<std::size_t>(box.Width()) * sizeof(Pixel));
}

}  // namespace gdi
