// Damage: the area of a picture that changed since it was last shown, kept
// as one bounding rectangle, so that showing it again copies only that part.
#pragma once

#include <algorithm>

#include "platform/gdi/rect.h"

namespace gdi {

// The smallest rectangle holding both; an empty one adds nothing.
inline Rect United(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? Rect{} : b;
    if (b.IsEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

class Damage {
public:
    void Add(const Rect& area) { area_ = United(area_, area); }
    bool IsEmpty() const { return area_.IsEmpty(); }
    // What changed inside bounds (a picture's own pixels).
    Rect Within(const Rect& bounds) const { return area_.Intersected(bounds); }
    // What changed inside bounds; afterwards nothing has.
    Rect Take(const Rect& bounds) {
        const Rect taken = Within(bounds);
        area_ = {};
        return taken;
    }

private:
    Rect area_;
};

}  // namespace gdi
