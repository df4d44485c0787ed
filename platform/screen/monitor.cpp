#include "platform/screen/monitor.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace screen {
namespace {

struct ConnectorName {
    std::string_view prefix;
    ConnectorType type;
};

// Longer prefixes first, so "DisplayPort" is not read as "DP" nor "eDP" as "DP".
constexpr std::array<ConnectorName, 9> kConnectorNames{{
    {"DisplayPort", ConnectorType::kDisplayPort},
    {"eDP", ConnectorType::kInternal},
    {"LVDS", ConnectorType::kInternal},
    {"Panel", ConnectorType::kInternal},
    {"HDMI", ConnectorType::kHdmi},
    {"DVI", ConnectorType::kDvi},
    {"VGA", ConnectorType::kVga},
    {"DP", ConnectorType::kDisplayPort},
    {"DSUB", ConnectorType::kVga},
}};

constexpr std::array<std::string_view, 6> kLabels{"unknown", "VGA", "DVI", "HDMI", "DisplayPort", "eDP/LVDS"};

bool StartsWithWord(std::string_view name, std::string_view prefix) {
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    // "DP-1", "DP1" and "VGA" match; "DPI" and "Virtual" do not.
    return name.size() == prefix.size() || !std::isalpha(static_cast<unsigned char>(name[prefix.size()]));
}

ConnectorType FromEdid(const edid::Info& info) {
    if (!info.digital) return ConnectorType::kVga;
    switch (info.digital_interface) {
        case 1:
            return ConnectorType::kDvi;
        case 2:
        case 3:
            return ConnectorType::kHdmi;
        case 5:
            return ConnectorType::kDisplayPort;
        default:
            return info.cea_extension ? ConnectorType::kHdmi : ConnectorType::kDvi;
    }
}

}  // namespace

std::string_view ConnectorLabel(ConnectorType type) {
    const auto index = static_cast<std::size_t>(type);
    return index < kLabels.size() ? kLabels[index] : kLabels[0];
}

ConnectorType ConnectorFromName(std::string_view name) {
    // DRM's sysfs names carry the card in front: "card0-HDMI-A-1".
    if (StartsWithWord(name, "card")) {
        const std::size_t dash = name.find('-');
        if (dash != std::string_view::npos) name.remove_prefix(dash + 1);
    }
    for (const ConnectorName& entry : kConnectorNames) {
        if (StartsWithWord(name, entry.prefix)) return entry.type;
    }
    return ConnectorType::kUnknown;
}

void AttachEdid(Monitor& monitor, std::span<const std::uint8_t> bytes, const std::string& pnp_ids_path) {
    monitor.edid.reset();
    if (bytes.empty()) {
        monitor.edid_error = "no EDID";
        return;
    }
    edid::ParseResult parsed = edid::Parse(bytes);
    if (!parsed.info) {
        monitor.edid_error = parsed.error;
        return;
    }
    monitor.edid_error.clear();
    monitor.make = edid::MakerNameFromFile(parsed.info->pnp, pnp_ids_path);
    monitor.model = parsed.info->name;
    monitor.serial = parsed.info->serial;
    if (monitor.connector == ConnectorType::kUnknown) monitor.connector = FromEdid(*parsed.info);
    monitor.edid = std::move(parsed.info);
}

bool IsAnalog(const Monitor& monitor) {
    if (monitor.edid) return !monitor.edid->digital;
    return monitor.connector == ConnectorType::kVga;
}

const Monitor* FindMonitor(std::span<const Monitor> monitors, std::string_view name, int* duplicates) {
    const Monitor* found = nullptr;
    int others = 0;
    for (const Monitor& m : monitors) {
        if (m.name != name) continue;
        if (found)
            ++others;
        else
            found = &m;
    }
    if (duplicates) *duplicates = others;
    return found;
}

const Monitor* DefaultMonitor(std::span<const Monitor> monitors) {
    const auto primary = std::find_if(monitors.begin(), monitors.end(),
                                      [](const Monitor& m) { return m.primary && m.active; });
    if (primary != monitors.end()) return &*primary;
    const auto active =
        std::find_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.active; });
    return active != monitors.end() ? &*active : nullptr;
}

}  // namespace screen
