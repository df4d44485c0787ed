// StretchBlt: each axis maps destination pixels to source pixels with the
// closed forms of a midpoint walk (docs/drawing-rules.md, section 8). Only
// visible destination pixels are mapped, and each looks only at the source
// pixels that are on the surface.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "platform/gdi/blitter.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/raster_internal.h"

namespace gdi::raster {

namespace {

using detail::i128;
using detail::i64;

enum class Pick { kAll, kFirst, kLast };

// Source range [lo, hi) in source-surface coordinates of each visible
// destination pixel first, first+1, ...; empty when it reads nothing.
struct AxisMap {
    int first = 0;
    std::vector<int> lo;
    std::vector<int> hi;
    int size() const { return static_cast<int>(lo.size()); }
};

// First source pixel s (of S) that a shrink onto D pixels sends to destination
// d or later: the least s with ceil((2s+1)D / (2S)) - 1 >= d, i.e. (2s+1)D > 2Sd.
i64 ShrinkStart(i64 d, i64 src_len, i64 dst_len) {
    const i128 v =
        detail::FloorDiv(2 * static_cast<i128>(src_len) * d - dst_len, 2 * static_cast<i128>(dst_len)) + 1;
    return detail::Clamp64(v, 0, src_len);
}

AxisMap MapAxis(int dst_pos, int dst_len, int dst_extent, int src_pos, int src_len, int src_extent,
                Pick pick) {
    AxisMap map;
    const i64 d_lo = std::max<i64>(0, -static_cast<i64>(dst_pos));
    const i64 d_hi = std::min<i64>(dst_len, static_cast<i64>(dst_extent) - dst_pos);
    if (d_lo >= d_hi) return map;
    map.first = static_cast<int>(dst_pos + d_lo);
    map.lo.resize(static_cast<std::size_t>(d_hi - d_lo));
    map.hi.resize(static_cast<std::size_t>(d_hi - d_lo));

    const i64 big_d = dst_len;
    i64 big_s = src_len;
    if (big_d == 1 && big_s > 1) --big_s;  // a one-pixel destination reads one source pixel fewer
    for (i64 d = d_lo; d < d_hi; ++d) {
        i64 lo;
        i64 hi;
        if (big_d >= big_s) {
            // ceil((2d+1)S / (2D)) - 1: the source pixel holding the centre of d.
            lo = static_cast<i64>(
                     detail::CeilDiv((2 * static_cast<i128>(d) + 1) * big_s, 2 * static_cast<i128>(big_d))) -
                 1;
            hi = lo + 1;
        } else {
            lo = ShrinkStart(d, big_s, big_d);
            hi = ShrinkStart(d + 1, big_s, big_d);
            if (pick == Pick::kFirst) hi = lo + 1;
            if (pick == Pick::kLast) lo = hi - 1;
        }
        // To source-surface coordinates, dropping pixels off that surface.
        lo = std::max<i64>(lo + src_pos, 0);
        hi = std::min<i64>(hi + src_pos, src_extent);
        const std::size_t k = static_cast<std::size_t>(d - d_lo);
        map.lo[k] = static_cast<int>(std::min<i64>(lo, src_extent));
        map.hi[k] = static_cast<int>(std::max<i64>(hi, 0));
    }
    return map;
}

// The source pixels a blit reads; a private copy when it reads its own
// destination. row(y)[c - left()] is source pixel (c, y).
class SourceView {
public:
    SourceView(const Surface& src, bool copy, int left, int top, int right, int bottom)
        : left_(left), top_(top) {
        if (!copy) {
            base_ = src.row(top) + left;
            stride_ = src.width();
            return;
        }
        stride_ = right - left;
        for (int y = top; y < bottom; ++y) copy_.insert(copy_.end(), src.row(y) + left, src.row(y) + right);
        base_ = copy_.data();
    }
    int left() const { return left_; }
    const Pixel* row(int y) const { return base_ + static_cast<std::ptrdiff_t>(y - top_) * stride_; }

private:
    const Pixel* base_ = nullptr;
    std::ptrdiff_t stride_ = 0;
    int left_;
    int top_;
    std::vector<Pixel> copy_;
};

bool AllRead(const AxisMap& m) {
    for (int i = 0; i < m.size(); ++i) {
        if (m.lo[static_cast<std::size_t>(i)] >= m.hi[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

int MaxRange(const AxisMap& m) {
    int widest = 0;
    for (int i = 0; i < m.size(); ++i) {
        widest = std::max(widest, m.hi[static_cast<std::size_t>(i)] - m.lo[static_cast<std::size_t>(i)]);
    }
    return widest;
}

void Bounds(const AxisMap& m, int* lo, int* hi) {
    *lo = INT32_MAX;
    *hi = INT32_MIN;
    for (int i = 0; i < m.size(); ++i) {
        if (m.lo[static_cast<std::size_t>(i)] >= m.hi[static_cast<std::size_t>(i)]) continue;
        *lo = std::min(*lo, m.lo[static_cast<std::size_t>(i)]);
        *hi = std::max(*hi, m.hi[static_cast<std::size_t>(i)]);
    }
}

// Column groups of one or two pixels, all read: both operators are
// idempotent, so each group is its first column combined with its last,
// picked from a row of folded columns.
struct NarrowGroups {
    std::vector<int> first;
    std::vector<int> last;
};

std::optional<NarrowGroups> Narrow(const AxisMap& cols, int left) {
    if (!AllRead(cols) || MaxRange(cols) > 2) return std::nullopt;
    NarrowGroups groups;
    for (int i = 0; i < cols.size(); ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        groups.first.push_back(cols.lo[k] - left);
        groups.last.push_back(cols.hi[k] - 1 - left);
    }
    return groups;
}

struct And {
    Pixel operator()(Pixel a, Pixel b) const { return a & b; }
};
struct Or {
    Pixel operator()(Pixel a, Pixel b) const { return a | b; }
};

// Combines every source pixel of each destination pixel's group with `op`.
// The operators (AND, OR) are associative and commutative, so the group is
// folded down its rows first, over the whole span of source columns the row
// reads, and then across each destination pixel's columns: each source
// pixel is read once per destination row instead of once per column group.
template <typename Op>
void CombineRow(Pixel* out, const AxisMap& cols, const NarrowGroups* narrow, const SourceView& view,
                int view_right, int r_lo, int r_hi, std::vector<Pixel>* folded, Op op) {
    const std::size_t span = static_cast<std::size_t>(view_right - view.left());
    folded->resize(span);
    Pixel* const acc = folded->data();
    const Pixel* first = view.row(r_lo);
    std::copy(first, first + span, acc);
    for (int r = r_lo + 1; r < r_hi; ++r) {
        const Pixel* in = view.row(r);
        for (std::size_t k = 0; k < span; ++k) acc[k] = op(acc[k], in[k]);
    }
    if (narrow) {
        for (std::size_t i = 0; i < narrow->first.size(); ++i)
            out[i] = op(acc[narrow->first[i]], acc[narrow->last[i]]);
        return;
    }
    for (int i = 0; i < cols.size(); ++i) {
        const int c_lo = cols.lo[static_cast<std::size_t>(i)] - view.left();
        const int c_hi = cols.hi[static_cast<std::size_t>(i)] - view.left();
        if (c_lo >= c_hi) continue;
        Pixel v = acc[c_lo];
        for (int c = c_lo + 1; c < c_hi; ++c) v = op(v, acc[c]);
        out[i] = v;
    }
}

}  // namespace

// Negative sizes draw nothing (Windows would mirror; the program never asks for it).
void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw, int sh,
                int mode) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    const bool combining_mode = mode == BLACKONWHITE || mode == WHITEONBLACK;
    // COLORONCOLOR (and HALFTONE) keep the last column and the first row of each group.
    const AxisMap cols =
        MapAxis(x, w, dst.width(), sx, sw, src.width(), combining_mode ? Pick::kAll : Pick::kLast);
    const AxisMap rows =
        MapAxis(y, h, dst.height(), sy, sh, src.height(), combining_mode ? Pick::kAll : Pick::kFirst);
    if (cols.size() == 0 || rows.size() == 0) return;

    int col_lo, col_hi, row_lo, row_hi;
    Bounds(cols, &col_lo, &col_hi);
    Bounds(rows, &row_lo, &row_hi);
    if (col_lo >= col_hi || row_lo >= row_hi) return;
    const SourceView view(src, &dst == &src, col_lo, row_lo, col_hi, row_hi);

    // With no group wider than one pixel (both axes enlarging), every mode is a plain copy.
    const bool combine = combining_mode && (MaxRange(cols) > 1 || MaxRange(rows) > 1);
    const bool cols_full = AllRead(cols);
    const std::optional<NarrowGroups> narrow = combine ? Narrow(cols, col_lo) : std::nullopt;
    const NarrowGroups* const narrow_groups = narrow ? &*narrow : nullptr;
    std::vector<Pixel> line(static_cast<std::size_t>(cols.size()));
    std::vector<Pixel> folded;  // one destination row's source rows, combined
    Blitter out(dst);
    int line_row = -1;  // source row `line` was picked from in full, for enlarged rows
    for (int j = 0; j < rows.size(); ++j) {
        const int r_lo = rows.lo[static_cast<std::size_t>(j)];
        const int r_hi = rows.hi[static_cast<std::size_t>(j)];
        if (r_lo >= r_hi) continue;
        const int out_y = rows.first + j;
        // Destination pixels that read no source pixel keep what they hold.
        if (!cols_full) {
            const Pixel* now = std::as_const(dst).row(out_y) + cols.first;
            std::copy(now, now + cols.size(), line.begin());
        }
        if (!combine && cols_full && line_row == r_lo) {
            // Enlarging rows repeat: the line is already composed.
        } else if (!combine) {
            const Pixel* in = view.row(r_lo);
            for (int i = 0; i < cols.size(); ++i) {
                const int c = cols.lo[static_cast<std::size_t>(i)];
                if (c < cols.hi[static_cast<std::size_t>(i)])
                    line[static_cast<std::size_t>(i)] = in[c - view.left()];
            }
        } else if (mode == BLACKONWHITE) {
            CombineRow(line.data(), cols, narrow_groups, view, col_hi, r_lo, r_hi, &folded, And{});
        } else {
            CombineRow(line.data(), cols, narrow_groups, view, col_hi, r_lo, r_hi, &folded, Or{});
        }
        line_row = r_lo;
        out.ImageRow(cols.first, out_y, line.data(), cols.size());
    }
}

}  // namespace gdi::raster
