// How big the X screen must be around its CRTCs when one of them changes
// mode: grown before a larger mode is set, shrunk after a smaller one.
#pragma once

#include <optional>
#include <span>

namespace screen::xrandr {

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ScreenResize {
    Size before;  // set before the CRTC changes (equal to the current size: nothing to do)
    Size after;   // set after it
};

// Null when the CRTCs cannot fit within the largest screen the server allows.
std::optional<ScreenResize> PlanScreenResize(Size current, Size min, Size max, std::span<const Rect> others,
                                             Rect changed);

// Physical size for a new pixel size at the screen's present density, or at
// 96 dpi when the present size is unknown.
int Millimetres(int pixels, int current_pixels, int current_mm);

}  // namespace screen::xrandr
