#include "platform/screen/xrandr/xrandr_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace screen::xrandr {
namespace {

// Far end of a rectangle along one axis, without int overflow.
std::int64_t End(int origin, int extent) {
    return static_cast<std::int64_t>(std::max(origin, 0)) + std::max(extent, 0);
}

}  // namespace

std::optional<ScreenResize> PlanScreenResize(Size current, Size min, Size max, std::span<const Rect> others,
                                             Rect changed) {
    std::int64_t width = End(changed.x, changed.width);
    std::int64_t height = End(changed.y, changed.height);
    for (const Rect& rect : others) {
        width = std::max(width, End(rect.x, rect.width));
        height = std::max(height, End(rect.y, rect.height));
    }
    width = std::max<std::int64_t>(width, std::max(min.width, 1));
    height = std::max<std::int64_t>(height, std::max(min.height, 1));
    if (width > max.width || height > max.height) return std::nullopt;

    const Size needed{static_cast<int>(width), static_cast<int>(height)};
    const Size before{std::max(current.width, needed.width), std::max(current.height, needed.height)};
    return ScreenResize{before, needed};
}

int Millimetres(int pixels, int current_pixels, int current_mm) {
    if (pixels <= 0) return 0;
    if (current_pixels > 0 && current_mm > 0) {
        const std::int64_t scaled = static_cast<std::int64_t>(pixels) * current_mm;
        return static_cast<int>(
            std::min<std::int64_t>((scaled + current_pixels / 2) / current_pixels, INT_MAX));
    }
    return static_cast<int>((static_cast<std::int64_t>(pixels) * 254 + 480) / 960);
}

}  // namespace screen::xrandr
