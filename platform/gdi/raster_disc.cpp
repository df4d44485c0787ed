// The round pen disc: the ellipse inscribed in the pen's w x w box, traced
// with a midpoint ellipse walk (Alois Zingl's algorithm) so that even widths
// come out as the tables in docs/drawing-rules.md (section 5) show.
#include "platform/gdi/raster_internal.h"

namespace gdi::raster::detail {

std::vector<DiscRow> RoundDisc(int width) {
    const int w = std::clamp(width, 2, kMaxPenWidth);
    // CreateEllipticRgn(-w/2, -w/2, (w+1)/2+1, (w+1)/2+1) keeps [left, right-1).
    const int left = -(w / 2);
    const int right = (w + 1) / 2;  // exclusive, after dropping the last column
    const int size = right - left;  // == w
    std::vector<DiscRow> rows(static_cast<std::size_t>(size));

    const i64 a = size - 1;
    const i64 b = size - 1;
    const i64 asq = 8 * a * a;
    const i64 bsq = 8 * b * b;
    i64 dx = 4 * b * b * (1 - a);
    i64 dy = 4 * a * a * (1 + (b % 2));
    i64 err = dx + dy + a * a * (b % 2);

    int x = 0;
    int y = size / 2;
    rows[static_cast<std::size_t>(y)] = {left, right};
    while (x <= size / 2) {
        const i64 e2 = 2 * err;
        if (e2 >= dx) {
            ++x;
            err += dx += bsq;
        }
        if (e2 <= dy) {
            ++y;
            err += dy += asq;
            if (y < size) rows[static_cast<std::size_t>(y)] = {left + x, right - x};
        }
    }
    // The upper half mirrors the lower one.
    for (int i = 0; i < size / 2; ++i) {
        rows[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(b - i)];
    }
    return rows;
}

}  // namespace gdi::raster::detail
