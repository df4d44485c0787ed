// BitBlt: a 1:1 copy clipped to both surfaces.
#include "platform/gdi/blitter.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

using detail::i64;

// Negative sizes draw nothing (Windows would mirror; the program never asks for it).
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    if (w <= 0 || h <= 0) return;
    // The destination pixels whose source pixel is on the source surface.
    const i64 off_x = static_cast<i64>(sx) - x;
    const i64 off_y = static_cast<i64>(sy) - y;
    const Rect source_area = BoundsOf(src).Translated(-off_x, -off_y);
    const Rect box = Rect::FromSize(x, y, w, h).Intersected(source_area).Intersected(BoundsOf(dst));
    if (box.IsEmpty()) return;

    const int src_x = static_cast<int>(box.left + off_x);
    const int src_y = static_cast<int>(box.top + off_y);
    const int rows = static_cast<int>(box.Height());
    // Copying within one surface: walk rows so that no source row is overwritten before it is read.
    const bool upward = &dst == &src && box.top > src_y;
    Blitter out(dst);
    for (int k = 0; k < rows; ++k) {
        const int i = upward ? rows - 1 - k : k;
        out.ImageRow(box.left, box.top + i, src.row(src_y + i) + src_x, box.Width());
    }
}

}  // namespace gdi::raster
