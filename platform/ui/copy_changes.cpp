#include "platform/ui/copy_changes.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/gdi/damage.h"

namespace ui::detail {
namespace {

// Blocks of pixels compared at once: most rows of a redrawn area hold long
// runs that did not change, which memcmp passes over fastest.
constexpr int kBlock = 64;

// Index of the first pixel where a and b differ, or n.
int FirstDifference(const gdi::Pixel* a, const gdi::Pixel* b, int n) {
    int k = 0;
    while (k < n) {
        const int len = std::min(kBlock, n - k);
        if (std::memcmp(a + k, b + k, static_cast<std::size_t>(len) * sizeof(gdi::Pixel)) != 0) {
            while (a[k] == b[k]) ++k;
            return k;
        }
        k += len;
    }
    return n;
}

// Index one past the last pixel where a and b differ (some pixel does).
int LastDifferenceEnd(const gdi::Pixel* a, const gdi::Pixel* b, int n) {
    int end = n;
    while (end > 0) {
        const int len = std::min(kBlock, end);
        if (std::memcmp(a + end - len, b + end - len, static_cast<std::size_t>(len) * sizeof(gdi::Pixel)) !=
            0) {
            while (a[end - 1] == b[end - 1]) --end;
            return end;
        }
        end -= len;
    }
    return 0;
}

}  // namespace

gdi::Rect CopyChanges(gdi::Surface& screen, const gdi::Rect& area, const gdi::Surface& src,
                      std::int64_t src_x, std::int64_t src_y) {
    gdi::Rect changed;
    if (area.IsEmpty()) return changed;
    const int width = static_cast<int>(area.Width());
    const int from_x = static_cast<int>(area.left - src_x);
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        const gdi::Pixel* in = src.row(static_cast<int>(y - src_y)) + from_x;
        const gdi::Pixel* now = std::as_const(screen).row(static_cast<int>(y)) + area.left;
        const int first = FirstDifference(in, now, width);
        if (first == width) continue;
        const int end = LastDifferenceEnd(in, now, width);
        gdi::Pixel* out = screen.row(static_cast<int>(y)) + area.left;
        std::memcpy(out + first, in + first, static_cast<std::size_t>(end - first) * sizeof(gdi::Pixel));
        changed = gdi::United(changed, {area.left + first, y, area.left + end, y + 1});
    }
    return changed;
}

void CopyAll(gdi::Surface& screen, const gdi::Rect& area, const gdi::Surface& src, std::int64_t src_x,
             std::int64_t src_y) {
    if (area.IsEmpty()) return;
    const std::size_t bytes = static_cast<std::size_t>(area.Width()) * sizeof(gdi::Pixel);
    const int from_x = static_cast<int>(area.left - src_x);
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        const gdi::Pixel* in = src.row(static_cast<int>(y - src_y)) + from_x;
        gdi::Pixel* out = screen.row(static_cast<int>(y)) + area.left;
        std::memcpy(out, in, bytes);
    }
}

}  // namespace ui::detail
