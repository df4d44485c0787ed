// Pure rules for reading and matching RandR modes, kept apart from Xlib so
// they can be checked without a server.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/screen/driver.h"

namespace screen::xrandr {

// What the driver needs of an XRRModeInfo.
struct ModeTiming {
    int width = 0;
    int height = 0;
    std::uint64_t dot_clock = 0;  // Hz
    std::uint32_t htotal = 0;
    std::uint32_t vtotal = 0;
    bool interlace = false;
    bool double_scan = false;
};

// Frames per second rounded to the nearest Hz (halves round up); 0 when the
// server does not know the timing.
int RefreshHz(const ModeTiming& timing);

// A requested refresh of 0 or 1 takes any rate; a negative one takes none.
bool RefreshMatches(int requested, int actual);

bool Matches(const DisplayMode& requested, const ModeTiming& offered, int screen_bpp);

// Index of the first offered mode that matches, in the order given.
std::optional<std::size_t> FindMode(const DisplayMode& requested, std::span<const ModeTiming> offered,
                                    int screen_bpp);

struct PixmapFormat {
    int depth = 0;
    int bits_per_pixel = 0;
};

// XWayland names its outputs XWAYLAND0, XWAYLAND1, ... Its RandR only
// pretends to change modes (it scales the picture), so such outputs are
// never changed through X: the compositor owns the monitor.
bool IsXwaylandOutput(std::string_view name);

// Bits per pixel of the screen: the pixmap format of its depth (a 24-bit
// screen stores 32), or the depth itself when no format lists it.
int BitsPerPixel(int depth, std::span<const PixmapFormat> formats);

}  // namespace screen::xrandr
