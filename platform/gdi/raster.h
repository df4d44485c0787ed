// Pixel rules of the drawing primitives, on bare surfaces. Every function
// clips to the surface and is defined for any int coordinate or size.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/gdi/blitter.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace gdi::raster {

// Fills [left, right) x [top, bottom); an empty or inverted rect paints nothing.
void FillRect(Surface& s, const RECT& r, Pixel color);

struct CosmeticPen {
    Pixel color = 0;
    bool dotted = false;       // 3 on, 3 off, starting "on" at each call
    bool opaque_gaps = false;  // OPAQUE background mode: gaps take bk_color
    Pixel bk_color = 0x00FFFFFF;
};

// One-pixel polyline through count points: in each segment the first point is
// drawn and the last is not; the dot phase continues across segments.
void CosmeticPolyline(Surface& s, const POINT* pts, int count, const CosmeticPen& pen);

// The solid one-pixel segment a -> b with a.x == b.x, as a vertical run:
// downward rows a.y .. b.y - 1, upward rows b.y + 1 .. a.y.
inline void SolidColumn(Surface& s, POINT a, POINT b, Pixel color) {
    const std::int64_t top = a.y <= b.y ? std::int64_t{a.y} : std::int64_t{b.y} + 1;
    const std::int64_t bottom = a.y <= b.y ? std::int64_t{b.y} : std::int64_t{a.y} + 1;
    Blitter(s).VerticalRun(a.x, top, bottom, color);
}

// Wide solid polyline (width > 1): the union of segment bands, round joins at
// inner vertices (and at every vertex when closed), round caps at open ends.
void WidePolyline(Surface& s, const POINT* pts, int count, bool closed, int width, Pixel color);

struct RectPen {
    int style = PS_SOLID;  // PS_SOLID, PS_DOT or PS_NULL
    int width = 1;         // device width; 0 means 1
    Pixel color = 0;
};

// Rectangle(l, t, r, b) with the pen's outline and an optional brush fill.
void Rectangle(Surface& s, RECT r, const RectPen& pen, const Pixel* brush, bool opaque_bk, Pixel bk_color);

// 1:1 copy of w x h pixels from (sx, sy) of src to (x, y) of dst, clipped to
// both surfaces.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy);

// Stretching copy with the given stretch mode (BLACKONWHITE, WHITEONBLACK,
// COLORONCOLOR, HALFTONE treated as COLORONCOLOR).
void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw, int sh,
                int mode);

}  // namespace gdi::raster
