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

// Up to sixteen pixels from src to dst: one loop of sixteen with a condition,
// which the compiler turns into one masked load and store where the unit has
// them. Glyph rows are this short; the library's copy would cost more.
CORVANE_VECTOR_CLONES("avx512f", "avx2", "default")
void CopyShortRow(Pixel* __restrict dst, const Pixel* __restrict src, std::size_t n) {
    for (std::size_t k = 0; k < 16; ++k) {
        if (k < n) dst[k] = src[k];
    }
}

// Whether the first n (up to sixteen) pixels at p are all white: one masked
// load and compare where the unit has them.
CORVANE_VECTOR_CLONES("avx512f", "avx2", "default")
bool AllWhiteShort(const Pixel* __restrict p, std::size_t n) {
    std::uint32_t other = 0;
    for (std::size_t k = 0; k < 16; ++k) {
        if (k < n) other |= p[k] ^ kWhitePixel;
    }
    return other == 0;
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
    const Pixel* ink = glyph.ink + dy * glyph.ink_stride + dx;
    if (over_white) {
        for (std::int64_t r = box.top; r < box.bottom; ++r, dst += s_.width(), ink += glyph.ink_stride) {
            if (n <= 16) {
                CopyShortRow(dst, ink, n);
            } else {
                std::memcpy(dst, ink, n * sizeof(Pixel));
            }
        }
        return;
    }
    // A glyph row over white pixels alone is its ink (white where nothing is
    // covered), as over a white cell.
    for (std::int64_t r = box.top; r < box.bottom;
         ++r, dst += s_.width(), ink += glyph.ink_stride, coverage += glyph.width) {
        if (n <= 16 && AllWhiteShort(dst, n)) {
            CopyShortRow(dst, ink, n);
        } else {
            InkRow(dst, ink, coverage, n, color);
        }
    }
}

void Blitter::ImageRow(std::int64_t x, std::int64_t y, const Pixel* src, std::int64_t n) {
    const Rect box = Rect{x, y, x + n, y + 1}.Intersected(BoundsOf(s_));
    if (box.IsEmpty()) return;
    std::memmove(s_.row(static_cast<int>(y)) + box.left, src + (box.left - x),
                 static_cast<std::size_t>(box.Width()) * sizeof(Pixel));
}

}  // namespace gdi
