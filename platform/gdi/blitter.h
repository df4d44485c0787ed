// The one writer of pixels. Every drawing primitive takes a Blitter over its
// surface for the length of one draw and hands it points, spans, vertical runs,
// rectangles, glyph masks and images. Each call clips to the surface, so any
// coordinate is safe; none keeps state between calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/rect.h"
#include "platform/gdi/surface.h"

namespace gdi {

// A glyph: its coverage (0..255 per pixel) and its ink, the glyph blended
// in its colour over white, both `rows` rows of `width` pixels.
struct GlyphMask {
    const std::uint8_t* coverage;
    const Pixel* ink;           // null: every covered pixel is blended
    std::ptrdiff_t ink_stride;  // pixels from one row of ink to the next
    int width;
    int rows;
};

// Rounded blend of pixel dst towards color by coverage a / 255, per channel.
Pixel Blend(Pixel dst, Pixel color, std::uint32_t a);

class Blitter {
public:
    explicit Blitter(Surface& s) : s_(s) {}

    // The pixel (x, y).
    void Point(std::int64_t x, std::int64_t y, Pixel color) {
        if (x >= 0 && y >= 0 && x < s_.width() && y < s_.height()) s_.row(static_cast<int>(y))[x] = color;
    }
    // Pixels [x, x + n) of row y.
    void Span(std::int64_t x, std::int64_t y, std::int64_t n, Pixel color);
    // Rows [top, bottom) of column x: a column of the surface's batch.
    void VerticalRun(std::int64_t x, std::int64_t top, std::int64_t bottom, Pixel color);
    // Every pixel of r; the whole surface is a fill, the batch's first work.
    void FillRect(const Rect& r, Pixel color);
    // The glyph with its top left at (x, y): each covered pixel is blended
    // towards color, a white one takes the ink as it is. `over_white`: the
    // caller knows every pixel under the glyph is white (it just filled them),
    // so the ink is copied without reading them.
    void Mask(const GlyphMask& glyph, std::int64_t x, std::int64_t y, Pixel color, bool over_white);
    // Row y from x takes the n pixels at src (which may lie in this surface).
    void ImageRow(std::int64_t x, std::int64_t y, const Pixel* src, std::int64_t n);

private:
    Surface& s_;
};

}  // namespace gdi
