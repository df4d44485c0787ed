// Rectangle: the outline follows the closed path (r-1,t) -> (l,t) -> (l,b-1)
// -> (r-1,b-1) -> (r-1,t), so dots start at the top right and run left.
#include <algorithm>

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

void Rectangle(Surface& s, RECT r, const RectPen& pen, const Pixel* brush, bool opaque_bk, Pixel bk_color) {
    const int l = std::min(r.left, r.right);
    const int rr = std::max(r.left, r.right);
    const int t = std::min(r.top, r.bottom);
    const int b = std::max(r.top, r.bottom);
    if (l == rr || t == b) return;
    // l < rr and t < b, so none of these overflow.
    const int x1 = rr - 1;
    const int y1 = b - 1;

    if (pen.style == PS_NULL) {
        if (brush) FillRect(s, RECT{l, t, x1, y1}, *brush);
        return;
    }

    const POINT path[5] = {{x1, t}, {l, t}, {l, y1}, {x1, y1}, {x1, t}};
    const int width = std::max(pen.width, 1);
    if (width == 1) {
        if (brush) FillRect(s, RECT{l + 1, t + 1, x1, y1}, *brush);
        CosmeticPen cosmetic;
        cosmetic.color = pen.color;
        cosmetic.dotted = pen.style == PS_DOT;
        cosmetic.opaque_gaps = opaque_bk;
        cosmetic.bk_color = bk_color;
        CosmeticPolyline(s, path, 5, cosmetic);
        return;
    }
    // Wide pens are always solid; the outline is painted over the brush.
    if (brush) FillRect(s, RECT{l, t, x1, y1}, *brush);
    WidePolyline(s, path, 4, /*closed=*/true, width, pen.color);
}

}  // namespace gdi::raster
