#include "platform/screen/drm_edid.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace screen {
namespace {

constexpr std::size_t kMaxEdidBytes = 64 * 1024;

// "card0-HDMI-A-1" holds connector "HDMI-A-1"; "card0" and "renderD128" hold none.
bool NamesConnector(const std::string& entry, std::string_view connector) {
    if (!entry.starts_with("card")) return false;
    const std::size_t dash = entry.find('-');
    if (dash == std::string::npos || dash == 4) return false;
    for (std::size_t i = 4; i < dash; ++i) {
        if (entry[i] < '0' || entry[i] > '9') return false;
    }
    return std::string_view(entry).substr(dash + 1) == connector;
}

}  // namespace

std::vector<std::uint8_t> ReadDrmEdid(std::string_view connector, std::string* error,
                                      const std::string& drm_dir) {
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    std::filesystem::path found;
    int matches = 0;
    if (!connector.empty()) {
        for (std::filesystem::directory_iterator it(drm_dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (!NamesConnector(it->path().filename().string(), connector)) continue;
            if (++matches == 1) found = it->path() / "edid";
        }
    }
    if (matches == 0) {
        *error = "no EDID";
        return bytes;
    }
    if (matches > 1) {
        *error = "connectors of " + std::to_string(matches) + " cards are named " + std::string(connector);
        return bytes;
    }
    // sysfs reports no size for the file: read until its end.
    std::ifstream file(found, std::ios::binary);
    bytes.resize(kMaxEdidBytes);
    if (file) file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(file ? bytes.size() : static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    if (bytes.empty()) *error = "no EDID";
    return bytes;
}

}  // namespace screen
