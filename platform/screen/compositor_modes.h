// Choosing a compositor's mode for a requested DisplayMode. Compositors
// (wlroots output management, GNOME DisplayConfig) list a monitor's modes
// with refresh rates in mHz; programs ask in whole Hz at 32 bits per pixel.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/screen/driver.h"

namespace screen {

// The depth a Wayland screen reports: compositors have no other.
constexpr int kCompositorBpp = 32;

struct CompositorMode {
    int width = 0;
    int height = 0;
    int refresh_mhz = 0;  // 0: unknown
    bool preferred = false;
    bool current = false;
};

// Hz rounded to the nearest whole (halves up), as a program asks for them.
int RoundedHz(int refresh_mhz);

struct ModeChoice {
    enum Kind {
        kListed,   // index names the listed mode to use
        kCustom,   // the monitor lists no modes: ask for width x height at refresh_mhz
        kBadMode,  // the monitor does not offer it
    } kind = kBadMode;
    std::size_t index = 0;
    int refresh_mhz = 0;  // for kCustom; 0 lets the compositor pick
};

// A listed mode of the requested size whose refresh rounds to the requested
// Hz (of several, the closest to it). A request of 0 or 1 Hz means "any
// rate": the current mode if it has that size, else the preferred one, else
// the fastest. An empty list takes a custom mode, which only the
// compositor's own test can accept or refuse. Depths other than 32 (or 0,
// "unchanged") are not offered.
ModeChoice ChooseMode(std::span<const CompositorMode> modes, const DisplayMode& request);

// "WxH@R.RRR Hz" for messages.
std::string Describe(const CompositorMode& mode);

}  // namespace screen
