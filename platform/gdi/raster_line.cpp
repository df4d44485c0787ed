// One-pixel Bresenham lines, clipped analytically so that far-out end points
// cost nothing: only the visible part of the major axis is walked.
#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

namespace {

using detail::i128;
using detail::i64;

constexpr int kDotPeriod = 6;  // 3 on, 3 off
constexpr int kDotOn = 3;

int Sign(i64 v) {
    return (v > 0) - (v < 0);
}

// Draws pixels i = 0..M-1 of a->b. Pixel i sits i steps along the major axis
// and floor((2*i*m + M - 1 + bias) / (2*M)) steps along the minor one. `phase`
// is the dot phase of pixel 0, in [0, 6).
void Segment(Surface& s, POINT a, POINT b, const CosmeticPen& pen, int phase) {
    const i64 dx = static_cast<i64>(b.x) - a.x;
    const i64 dy = static_cast<i64>(b.y) - a.y;
    const bool x_major = std::llabs(dx) > std::llabs(dy);
    const i64 major_len = x_major ? std::llabs(dx) : std::llabs(dy);
    const i64 minor_len = x_major ? std::llabs(dy) : std::llabs(dx);
    if (major_len == 0) return;
    const int bias = (x_major ? dy < 0 : dx < 0) ? 1 : 0;

    const i64 major0 = x_major ? a.x : a.y;
    const i64 minor0 = x_major ? a.y : a.x;
    const int major_step = Sign(x_major ? dx : dy);
    const int minor_step = Sign(x_major ? dy : dx);
    const i64 major_limit = x_major ? s.width() : s.height();
    const i64 minor_limit = x_major ? s.height() : s.width();

    // Indices whose major coordinate is on the surface.
    i64 lo = 0;
    i64 hi = major_len;
    if (major_step > 0) {
        lo = std::max(lo, -major0);
        hi = std::min(hi, major_limit - major0);
    } else {
        lo = std::max(lo, major0 - major_limit + 1);
        hi = std::min(hi, major0 + 1);
    }
    if (lo >= hi) return;

    // Minor offsets f whose minor coordinate is on the surface: [f_lo, f_hi].
    const i64 f_lo = minor_step < 0 ? minor0 - minor_limit + 1 : -minor0;
    const i64 f_hi = minor_step < 0 ? minor0 : minor_limit - 1 - minor0;
    if (f_hi < 0 || f_lo > f_hi) return;

    // f(i) is non-decreasing, so the visible indices form one range.
    const i128 two_major = 2 * static_cast<i128>(major_len);
    const i128 offset = major_len - 1 + bias;
    if (minor_len == 0) {
        if (f_lo > 0) return;  // f(i) is always 0
    } else {
        const i128 two_minor = 2 * static_cast<i128>(minor_len);
        if (f_lo > 0)
            lo = std::max(
                lo, detail::Clamp64(detail::CeilDiv(two_major * f_lo - offset, two_minor), 0, major_len));
        hi = std::min(
            hi, detail::Clamp64(detail::CeilDiv(two_major * (f_hi + 1) - offset, two_minor), 0, major_len));
    }
    if (lo >= hi) return;

    const i128 start = static_cast<i128>(lo) * 2 * minor_len + offset;
    const i64 f = static_cast<i64>(start / two_major);
    i64 err = static_cast<i64>(start % two_major);
    const i64 err_step = 2 * minor_len;
    const i64 err_wrap = 2 * major_len;

    i64 major = major0 + major_step * lo;
    i64 minor = minor0 + minor_step * f;
    Blitter out(s);
    if (minor_len == 0 && x_major && !pen.dotted) {
        // A solid horizontal run: one span of the row, in either direction.
        const i64 n = hi - lo;
        out.Span(major_step > 0 ? major : major - (n - 1), minor, n, pen.color);
        return;
    }
    int dot = static_cast<int>((phase + lo) % kDotPeriod);
    for (i64 i = lo; i < hi; ++i) {
        const i64 x = x_major ? major : minor, y = x_major ? minor : major;
        if (!pen.dotted || dot < kDotOn) {
            out.Point(x, y, pen.color);
        } else if (pen.opaque_gaps) {
            out.Point(x, y, pen.bk_color);
        }
        if (++dot == kDotPeriod) dot = 0;
        major += major_step;
        err += err_step;
        if (err >= err_wrap) {
            err -= err_wrap;
            minor += minor_step;
        }
    }
}

// A solid vertical segment is one vertical run; the surface batches them so
// that runs of them are painted row by row.
bool AddSolidColumn(Surface& s, POINT a, POINT b, const CosmeticPen& pen) {
    if (a.x != b.x || pen.dotted) return false;
    SolidColumn(s, a, b, pen.color);
    return true;
}

}  // namespace

void CosmeticPolyline(Surface& s, const POINT* pts, int count, const CosmeticPen& pen) {
    if (pts == nullptr || count < 2) return;
    int phase = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const POINT a = pts[i];
        const POINT b = pts[i + 1];
        if (s.width() > 0 && s.height() > 0 && !AddSolidColumn(s, a, b, pen)) Segment(s, a, b, pen, phase);
        if (!pen.dotted) continue;  // only dots carry a phase on to the next segment
        const i64 len =
            std::max(std::llabs(static_cast<i64>(b.x) - a.x), std::llabs(static_cast<i64>(b.y) - a.y));
        phase = static_cast<int>((phase + len) % kDotPeriod);
    }
}

}  // namespace gdi::raster
