// SetBoundsRect / GetBoundsRect: where drawing went since the bounds were
// last reset. The selected bitmap counts the rows written into it; the DC
// adds the rectangles it was asked to accumulate.
#include "platform/gdi/damage.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/rect.h"

namespace {

RECT ToRect(const gdi::Rect& r) {
    if (r.IsEmpty()) return RECT{};
    return RECT{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
                static_cast<int>(r.bottom)};
}

// The bounds within the surface (or nothing without one).
gdi::Rect Bounds(const gdi::Surface* s, const RECT& accumulated) {
    if (!s) return {};
    const gdi::Rect rows{0, s->written_top(), s->width(), s->written_bottom()};
    return gdi::United(rows, gdi::Rect::From(accumulated)).Intersected(gdi::BoundsOf(*s));
}

}  // namespace

unsigned CDC::SetBoundsRect(const RECT* rect, unsigned flags) {
    const unsigned before = (Bounds(surface(), accumulated_).IsEmpty() ? DCB_RESET : DCB_SET) |
                            (bounds_enabled_ ? DCB_ENABLE : DCB_DISABLE);
    if (flags & DCB_RESET) {
        accumulated_ = RECT{};
        if (gdi::Surface* s = surface()) s->ResetWritten();
    }
    if ((flags & DCB_ACCUMULATE) && rect) {
        accumulated_ = ToRect(gdi::United(gdi::Rect::From(accumulated_), gdi::Rect::From(*rect)));
    }
    if (flags & DCB_ENABLE) bounds_enabled_ = true;
    if (flags & DCB_DISABLE) bounds_enabled_ = false;
    return before;
}

unsigned CDC::GetBoundsRect(RECT* rect, unsigned flags) {
    const gdi::Rect bounds = Bounds(surface(), accumulated_);
    if (rect) *rect = ToRect(bounds);
    if (flags & DCB_RESET) SetBoundsRect(nullptr, DCB_RESET);
    return bounds.IsEmpty() ? DCB_RESET : DCB_SET;
}
