// BitBlt: a 1:1 copy clipped to both surfaces.
#include <cstring>

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

using detail::i64;

// Negative sizes draw nothing (Windows would mirror; the program never asks for it).
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    if (w <= 0 || h <= 0) return;
    // Destination pixels whose source is on the source surface: [x - sx, x - sx + src.width()).
    const i64 off_x = static_cast<i64>(sx) - x;
    const i64 off_y = static_cast<i64>(sy) - y;
    const i64 l = std::max<i64>(x, -off_x);
    const i64 t = std::max<i64>(y, -off_y);
    const i64 r = std::min<i64>(static_cast<i64>(x) + w, src.width() - off_x);
    const i64 b = std::min<i64>(static_cast<i64>(y) + h, src.height() - off_y);
    const detail::Box box = detail::ClipToSurface(dst, l, t, r, b);
    if (box.empty()) return;

    const int src_x = static_cast<int>(box.left + off_x);
    const int src_y = static_cast<int>(box.top + off_y);
    const std::size_t bytes = static_cast<std::size_t>(box.right - box.left) * sizeof(Pixel);
    const int rows = box.bottom - box.top;
    // Copying within one surface: walk rows so that no source row is overwritten before it is read.
    const bool upward = &dst == &src && box.top > src_y;
    for (int k = 0; k < rows; ++k) {
        const int i = upward ? rows - 1 - k : k;
        std::memmove(dst.row(box.top + i) + box.left, src.row(src_y + i) + src_x, bytes);
    }
}

}  // namespace gdi::raster
