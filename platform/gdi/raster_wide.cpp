// Wide solid polylines: the union of one band per segment and a round disc at
// every vertex (a cap at open ends, a join elsewhere). Overlaps are painted
// more than once with the same colour, which equals painting the union once.
#include <cmath>
#include <vector>

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

namespace {

using detail::i64;

void Disc(Surface& s, POINT c, const std::vector<detail::DiscRow>& disc, Pixel color) {
    const i64 n = static_cast<i64>(disc.size());
    const i64 top = static_cast<i64>(c.y) - n / 2;
    const i64 k_lo = std::max<i64>(0, -top);
    const i64 k_hi = std::min<i64>(n, s.height() - top);
    for (i64 k = k_lo; k < k_hi; ++k) {
        const auto& row = disc[static_cast<std::size_t>(k)];
        const i64 y = top + k;
        Blitter(s).Span(static_cast<i64>(c.x) + row.left, y, row.right - row.left, color);
    }
}

// Sloped band: the rectangle around the centre line through the pixel centres
// of a and b, half a pen width to each side; a pixel is in when its centre is.
void SlopedBand(Surface& s, POINT a, POINT b, int width, Pixel color) {
    const double ax = a.x + 0.5, ay = a.y + 0.5, bx = b.x + 0.5, by = b.y + 0.5;
    const double len = std::hypot(bx - ax, by - ay);
    const double nx = -(by - ay) / len * (width / 2.0);
    const double ny = (bx - ax) / len * (width / 2.0);
    const double px[4] = {ax + nx, bx + nx, bx - nx, ax - nx};
    const double py[4] = {ay + ny, by + ny, by - ny, ay - ny};

    double y_min = py[0], y_max = py[0];
    for (double v : py) {
        y_min = std::min(y_min, v);
        y_max = std::max(y_max, v);
    }
    const double row_lo = std::max(0.0, std::ceil(y_min - 0.5));
    const double row_hi = std::min(static_cast<double>(s.height()), std::ceil(y_max - 0.5));
    for (int y = static_cast<int>(row_lo); y < static_cast<int>(row_hi); ++y) {
        const double yc = y + 0.5;
        double x_lo = INFINITY, x_hi = -INFINITY;
        for (int e = 0; e < 4; ++e) {
            const int f = (e + 1) % 4;
            const bool crosses = (py[e] <= yc && yc < py[f]) || (py[f] <= yc && yc < py[e]);
            if (!crosses) continue;
            const double x = px[e] + (yc - py[e]) * (px[f] - px[e]) / (py[f] - py[e]);
            x_lo = std::min(x_lo, x);
            x_hi = std::max(x_hi, x);
        }
        if (!(x_lo < x_hi)) continue;
        const double col_lo = std::max(0.0, std::ceil(x_lo - 0.5));
        const double col_hi = std::min(static_cast<double>(s.width()), std::ceil(x_hi - 0.5));
        if (col_lo >= col_hi) continue;
        Blitter(s).Span(static_cast<i64>(col_lo), y, static_cast<i64>(col_hi - col_lo), color);
    }
}

// Axis-aligned bands cover [min, max) along the line and [c - w/2, c - w/2 + w) across it.
void Band(Surface& s, POINT a, POINT b, int width, Pixel color) {
    const i64 half = width / 2;
    if (a.y == b.y) {
        const i64 top = static_cast<i64>(a.y) - half;
        Blitter(s).FillRect(Rect{std::min(a.x, b.x), top, std::max(a.x, b.x), top + width}, color);
    } else if (a.x == b.x) {
        const i64 left = static_cast<i64>(a.x) - half;
        Blitter(s).FillRect(Rect{left, std::min(a.y, b.y), left + width, std::max(a.y, b.y)}, color);
    } else {
        SlopedBand(s, a, b, width, color);
    }
}

}  // namespace

void WidePolyline(Surface& s, const POINT* pts, int count, bool closed, int width, Pixel color) {
    if (pts == nullptr || count < 1) return;
    // Zero-length segments add nothing; a path that never moves draws nothing.
    std::vector<POINT> path;
    path.reserve(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i < count; ++i) {
        if (path.empty() || !(path.back() == pts[i])) path.push_back(pts[i]);
    }
    if (closed && path.size() > 1 && path.back() == path.front()) path.pop_back();
    if (path.size() < 2) return;

    if (width <= 1) {
        if (closed) path.push_back(path.front());
        CosmeticPolyline(s, path.data(), static_cast<int>(path.size()), CosmeticPen{.color = color});
        return;
    }
    if (s.width() == 0 || s.height() == 0) return;
    width = std::min(width, detail::kMaxPenWidth);

    const std::size_t n = path.size();
    for (std::size_t i = 0; i + 1 < n; ++i) Band(s, path[i], path[i + 1], width, color);
    if (closed) Band(s, path[n - 1], path[0], width, color);

    const auto disc = detail::RoundDisc(width);
    for (const POINT& p : path) Disc(s, p, disc, color);
}

}  // namespace gdi::raster
