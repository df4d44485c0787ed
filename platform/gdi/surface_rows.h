// Row painting shared by a surface's batch, its lazy rows and the fills:
// private to the drawing layer.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/surface.h"

namespace gdi::surface_rows {

// Rows painted together: a band of columns stays in the first-level cache
// even when every row starts on the same cache set (a 4096-byte stride).
constexpr int kBandRows = 8;
// A run of at least this many columns over the same rows may use the overlay.
constexpr std::ptrdiff_t kOverlayMinColumns = 16;

// Whether row[k] == row[k - 2] all along: a fill, or one-pixel stripes over one.
bool RepeatsEveryTwoPixels(const Pixel* row, std::ptrdiff_t width);

// n pixels of one colour, written as a string store where there is one:
// whole lines are written without being read first.
void FillPixels(Pixel* out, std::size_t n, Pixel color);

// out[from, to) = image[from, to), for an image that repeats every two pixels.
void StoreRepeating(Pixel* out, const Pixel* image, std::ptrdiff_t from, std::ptrdiff_t to);

// Writes `row` (width pixels) to rows [top, bottom) of the surface at base.
// `stream`: with streaming stores, which skip reading the old lines in.
// `repeats`: the row repeats every two pixels, and is written as a pattern.
void CopyRowDown(Pixel* base, std::ptrdiff_t width, const Pixel* row, int top, int bottom, bool stream,
                 bool repeats = false);

// Rows [top, bottom) of n pixels from `left`: each keeps the pixels where
// keep is all ones and takes `paint` where keep is zero.
void MergeOverlayRows(Pixel* base, std::ptrdiff_t stride, int top, int bottom, int left,
                      const std::vector<Pixel>& keep, const std::vector<Pixel>& paint);

inline bool Dense(std::ptrdiff_t count, int left, int right) {
    return count >= kOverlayMinColumns && count * 4 >= right - left;
}

// Columns [first, last) of a batch, painted a band of rows at a time; each
// band takes the columns in order, so a later column over an earlier one wins.
template <typename Column>
void PaintBanded(Pixel* base, std::ptrdiff_t stride, const Column* first, const Column* last) {
    int top = INT_MAX;
    int bottom = 0;
    for (const Column* c = first; c != last; ++c) {
        top = std::min(top, c->top);
        bottom = std::max(bottom, c->bottom);
    }
    for (int band = top; band < bottom; band += kBandRows) {
        const int band_end = std::min(band + kBandRows, bottom);
        for (const Column* c = first; c != last; ++c) {
            const int y0 = std::max(c->top, band);
            const int y1 = std::min(c->bottom, band_end);
            if (y0 >= y1) continue;
            Pixel* p = base + y0 * stride + c->x;
            for (int y = y0; y < y1; ++y, p += stride) *p = c->color;
        }
    }
}

// Columns [first, last), all over the same rows and dense along the row:
// their pixels form one overlay (a mask and colours, the last column at each
// x winning) that is merged into every row with whole-row vector operations.
template <typename Column>
void PaintOverlay(Pixel* base, std::ptrdiff_t stride, const Column* first, const Column* last, int left,
                  int right) {
    const std::size_t n = static_cast<std::size_t>(right - left);
    std::vector<Pixel> keep(n, ~Pixel{0});
    std::vector<Pixel> paint(n, 0);
    for (const Column* c = first; c != last; ++c) {
        const std::size_t k = static_cast<std::size_t>(c->x - left);
        keep[k] = 0;
        paint[k] = c->color;
    }
    MergeOverlayRows(base, stride, first->top, first->bottom, left, keep, paint);
}

// The run of columns from `first` over the same rows as it, and the span of
// x it covers; dense when an overlay of it pays.
template <typename Column>
const Column* RunEnd(const Column* first, const Column* last, int* left, int* right) {
    const Column* end = first + 1;
    *left = first->x;
    *right = first->x + 1;
    while (end != last && end->top == first->top && end->bottom == first->bottom) {
        *left = std::min(*left, end->x);
        *right = std::max(*right, end->x + 1);
        ++end;
    }
    return end;
}

}  // namespace gdi::surface_rows
