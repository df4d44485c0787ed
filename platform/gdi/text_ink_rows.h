// One row of a cached glyph's ink onto a surface row: the inner loops of text
// drawing, in the widest vector unit the processor has.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/surface.h"

namespace gdi::text {

inline constexpr Pixel kWhite = 0x00FFFFFF;

// Rounded blend of one 8-bit channel d towards c by coverage a / 255.
inline std::uint32_t BlendChannel(std::uint32_t d, std::uint32_t c, std::uint32_t a) {
    const int v = (static_cast<int>(c) - static_cast<int>(d)) * static_cast<int>(a);
    const int q = v >= 0 ? (v + 127) / 255 : -((-v + 127) / 255);
    return static_cast<std::uint32_t>(static_cast<int>(d) + q);
}

inline Pixel Blend(Pixel dst, Pixel color, std::uint32_t a) {
    if (a == 255) return color;
    const std::uint32_t r = BlendChannel((dst >> 16) & 0xFF, (color >> 16) & 0xFF, a);
    const std::uint32_t g = BlendChannel((dst >> 8) & 0xFF, (color >> 8) & 0xFF, a);
    const std::uint32_t b = BlendChannel(dst & 0xFF, color & 0xFF, a);
    return (r << 16) | (g << 8) | b;
}

// A glyph's cached ink, `rows` rows of n pixels, onto the surface at dst.
struct InkBox {
    Pixel* dst;
    std::ptrdiff_t dst_stride;
    const Pixel* ink;  // the glyph drawn over white
    std::ptrdiff_t ink_stride;
    const std::uint8_t* coverage;
    std::ptrdiff_t coverage_stride;
    std::size_t rows;
    std::size_t n;
    // How far (>= n) groups of pixels may run past n on each row: there the
    // ink is white and is written only over white.
    std::size_t reach;
};

// Over any pixels: a white pixel becomes its ink pixel (the blend of the
// coverage over white); any other pixel is blended where covered.
void InkOver(const InkBox& box, Pixel color);
// Onto pixels known to be white: the ink as it is.
void InkOnWhite(const InkBox& box);

// Whether every pixel of p[0, n) is a grey, its three channels equal: ink
// of black text is, and is then kept as one level per pixel.
bool AllGrey(const Pixel* p, std::size_t n);
// out[0, n) = the greys of levels[0, n) (level v is the pixel 0xvvvvvv).
// `over_white`: out is white already, and takes only the levels below white.
void StoreGreys(Pixel* out, const std::uint8_t* levels, std::size_t n, bool over_white);

// The first pixel of p[0, n) that is not white, or n.
std::size_t FirstNotWhite(const Pixel* p, std::size_t n);
// Just past the last pixel of p[0, n) that is not white, or 0.
std::size_t EndOfNotWhite(const Pixel* p, std::size_t n);

}  // namespace gdi::text
