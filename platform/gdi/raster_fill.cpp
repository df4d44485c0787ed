#include <algorithm>
#include <cstring>

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

namespace detail {

Box ClipToSurface(const Surface& s, i64 l, i64 t, i64 r, i64 b) {
    // Rejecting first keeps every narrowed value inside the surface.
    if (l >= r || t >= b || l >= s.width() || t >= s.height() || r <= 0 || b <= 0) return Box{};
    Box box;
    box.left = static_cast<int>(std::max<i64>(l, 0));
    box.top = static_cast<int>(std::max<i64>(t, 0));
    box.right = static_cast<int>(std::min<i64>(r, s.width()));
    box.bottom = static_cast<int>(std::min<i64>(b, s.height()));
    return box;
}

void FillBox(Surface& s, const Box& box, Pixel color) {
    if (box.empty()) return;
    // Fill one row, then copy it: the C library's copy uses the widest stores
    // the processor has, which a plain fill loop at -O2 does not.
    const Pixel* first = s.row(box.top) + box.left;
    const std::size_t bytes = static_cast<std::size_t>(box.right - box.left) * sizeof(Pixel);
    std::fill(s.row(box.top) + box.left, s.row(box.top) + box.right, color);
    for (int y = box.top + 1; y < box.bottom; ++y) std::memcpy(s.row(y) + box.left, first, bytes);
}

}  // namespace detail

void FillRect(Surface& s, const RECT& r, Pixel color) {
    detail::FillBox(s, detail::ClipToSurface(s, r.left, r.top, r.right, r.bottom), color);
}

}  // namespace gdi::raster
