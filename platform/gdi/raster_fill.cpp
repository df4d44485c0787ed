#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"
#include "platform/gdi/surface_rows.h"

namespace gdi::raster {

namespace detail {

#if defined(__SSE2__)
// Streaming stores for fills larger than the caches: they skip reading the
// old lines in, which is what makes a large memset fast.
void StreamFill(Surface& s, const Rect& box, Pixel color) {
    const __m128i four = _mm_set1_epi32(static_cast<int>(color));
    for (int y = static_cast<int>(box.top); y < box.bottom; ++y) {
        Pixel* p = s.row(y) + box.left;
        Pixel* const end = s.row(y) + box.right;
        while (p < end && (reinterpret_cast<std::uintptr_t>(p) & 15) != 0) *p++ = color;
        for (; end - p >= 4; p += 4) _mm_stream_si128(reinterpret_cast<__m128i*>(p), four);
        while (p < end) *p++ = color;
    }
    _mm_sfence();
}
#endif

void FillBox(Surface& s, const Rect& box, Pixel color) {
    if (box.IsEmpty()) return;
    if (s.column_batching() && box.left == 0 && box.top == 0 && box.right == s.width() &&
        box.bottom == s.height()) {
        s.Fill(color);  // the surface paints it, with any columns drawn over it
        return;
    }
#if defined(__SSE2__)
    if (StreamsStores(box.Width() * box.Height() * 4)) {
        StreamFill(s, box, color);
        return;
    }
#endif
    const int top = static_cast<int>(box.top);
    const int left = static_cast<int>(box.left), right = static_cast<int>(box.right);
    // A narrow box over rows still due a fill (the edges of a page) waits
    // with them, so that each row is written once, when it is used.
    if (s.FillNarrowBox(left, top, right, static_cast<int>(box.bottom), color)) return;
    s.FillBox(left, top, right, static_cast<int>(box.bottom), color);
}

}  // namespace detail

void FillRect(Surface& s, const RECT& r, Pixel color) {
    detail::FillBox(s, detail::ClipToSurface(s, r.left, r.top, r.right, r.bottom), color);
}

}  // namespace gdi::raster
