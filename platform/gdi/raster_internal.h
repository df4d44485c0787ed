// Helpers shared by the raster primitives: 64-bit clipping to a surface,
// span filling, exact integer division and the round pen disc.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/gdi/rect.h"
#include "platform/gdi/surface.h"

namespace gdi::raster::detail {

using i64 = std::int64_t;
__extension__ typedef __int128 i128;

// [l, r) x [t, b) intersected with the surface.
inline Rect ClipToSurface(const Surface& s, i64 l, i64 t, i64 r, i64 b) {
    return Rect{l, t, r, b}.Intersected(BoundsOf(s));
}

inline i128 FloorDiv(i128 a, i128 b) {
    i128 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}
inline i128 CeilDiv(i128 a, i128 b) {
    return -FloorDiv(-a, b);
}

inline i64 Clamp64(i128 v, i64 lo, i64 hi) {
    return static_cast<i64>(std::clamp<i128>(v, lo, hi));
}

// Widths above this are drawn with this width: it already covers any surface
// four times over, and it keeps the disc computation small and in 64 bits.
constexpr int kMaxPenWidth = 1 << 16;

// One row of the round pen disc, as offsets from the centre: [left, right).
struct DiscRow {
    int left = 0;
    int right = 0;
};

// The disc of a round cap or join of a width-w pen (2 <= w <= kMaxPenWidth):
// row k covers dy = k - w/2. This is CreateEllipticRgn(-w/2, -w/2, (w+1)/2+1,
// (w+1)/2+1) with its last row and column dropped.
std::vector<DiscRow> RoundDisc(int width);

}  // namespace gdi::raster::detail
