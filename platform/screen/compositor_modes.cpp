#include "platform/screen/compositor_modes.h"

#include <cstdio>
#include <cstdlib>

namespace screen {

int RoundedHz(int refresh_mhz) {
    if (refresh_mhz <= 0) return 0;
    return (refresh_mhz + 500) / 1000;
}

ModeChoice ChooseMode(std::span<const CompositorMode> modes, const DisplayMode& request) {
    ModeChoice choice;
    if (request.width <= 0 || request.height <= 0 || request.refresh < 0) return choice;
    if (request.bpp != 0 && request.bpp != kCompositorBpp) return choice;
    const bool any_rate = request.refresh <= 1;
    if (modes.empty()) {
        choice.kind = ModeChoice::kCustom;
        choice.refresh_mhz = any_rate ? 0 : request.refresh * 1000;
        return choice;
    }

    std::optional<std::size_t> best;
    const auto better = [&](std::size_t i) {
        if (!best) return true;
        const CompositorMode& a = modes[i];
        const CompositorMode& b = modes[*best];
        if (any_rate) {
            if (a.current != b.current) return a.current;
            if (a.preferred != b.preferred) return a.preferred;
            return a.refresh_mhz > b.refresh_mhz;
        }
        const int target = request.refresh * 1000;
        return std::abs(a.refresh_mhz - target) < std::abs(b.refresh_mhz - target);
    };
    for (std::size_t i = 0; i < modes.size(); ++i) {
        const CompositorMode& mode = modes[i];
        if (mode.width != request.width || mode.height != request.height) continue;
        if (!any_rate && RoundedHz(mode.refresh_mhz) != request.refresh) continue;
        if (better(i)) best = i;
    }
    if (best) {
        choice.kind = ModeChoice::kListed;
        choice.index = *best;
    }
    return choice;
}

std::string Describe(const CompositorMode& mode) {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d@%d.%03d Hz", mode.width, mode.height, mode.refresh_mhz / 1000,
                  mode.refresh_mhz % 1000);
    return text;
}

}  // namespace screen
