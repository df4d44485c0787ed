// A monitor's EDID as the kernel's DRM exposes it, for desktops (Wayland)
// that name their monitors by connector but hand out no EDID themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace screen {

inline constexpr const char* kDrmClassPath = "/sys/class/drm";

// The bytes of <drm_dir>/card*-<connector>/edid (at most 64 KiB). Empty with
// the reason in `error` when no card has that connector, its file is empty or
// unreadable, or connectors of two cards share the name (which of them is
// meant cannot be told).
std::vector<std::uint8_t> ReadDrmEdid(std::string_view connector, std::string* error,
                                      const std::string& drm_dir = kDrmClassPath);

}  // namespace screen
