// The drawing layer's rectangle: [left, right) x [top, bottom) in 64-bit
// coordinates, so that any int position plus any int size is exact. Every
// primitive clips by intersecting with the surface's bounds first and bails
// out when the result is empty. The Windows RECT stays at the API boundary.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace gdi {

struct Rect {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    static Rect FromSize(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
        return {x, y, x + width, y + height};
    }
    static Rect From(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
    // No pixel: zero or negative width or height.
    bool IsEmpty() const { return left >= right || top >= bottom; }
    bool Contains(std::int64_t x, std::int64_t y) const {
        return left <= x && x < right && top <= y && y < bottom;
    }
    // Every pixel of other is in this one; an empty rectangle is in any.
    bool Contains(const Rect& other) const {
        return other.IsEmpty() ||
               (left <= other.left && other.right <= right && top <= other.top && other.bottom <= bottom);
    }
    // The pixels in both; {} when there are none.
    Rect Intersected(const Rect& other) const {
        const Rect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                     std::min(bottom, other.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    Rect Translated(std::int64_t dx, std::int64_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The pixels of a surface.
inline Rect BoundsOf(const Surface& s) {
    return {0, 0, s.width(), s.height()};
}

}  // namespace gdi
