#include "platform/screen/xrandr/xrandr_modes.h"

#include <climits>

namespace screen::xrandr {

int RefreshHz(const ModeTiming& timing) {
    std::uint64_t vtotal = timing.vtotal;
    if (timing.double_scan) vtotal *= 2;
    if (timing.interlace) vtotal /= 2;
    const std::uint64_t frame = static_cast<std::uint64_t>(timing.htotal) * vtotal;
    if (frame == 0) return 0;
    std::uint64_t hz = timing.dot_clock / frame;
    const std::uint64_t rest = timing.dot_clock % frame;
    if (rest >= frame - rest) ++hz;  // rest * 2 >= frame, without overflow
    return hz > INT_MAX ? INT_MAX : static_cast<int>(hz);
}

bool RefreshMatches(int requested, int actual) {
    if (requested == 0 || requested == 1) return true;
    return requested > 1 && requested == actual;
}

bool Matches(const DisplayMode& requested, const ModeTiming& offered, int screen_bpp) {
    if (requested.width <= 0 || requested.height <= 0) return false;
    if (requested.bpp != screen_bpp) return false;
    return offered.width == requested.width && offered.height == requested.height &&
           RefreshMatches(requested.refresh, RefreshHz(offered));
}

std::optional<std::size_t> FindMode(const DisplayMode& requested, std::span<const ModeTiming> offered,
                                    int screen_bpp) {
    for (std::size_t i = 0; i < offered.size(); ++i) {
        if (Matches(requested, offered[i], screen_bpp)) return i;
    }
    return std::nullopt;
}

int BitsPerPixel(int depth, std::span<const PixmapFormat> formats) {
    for (const PixmapFormat& format : formats) {
        if (format.depth == depth) return format.bits_per_pixel;
    }
    return depth;
}

bool IsXwaylandOutput(std::string_view name) {
    return name.starts_with("XWAYLAND");
}

}  // namespace screen::xrandr
