// GNOME's monitor layout as org.gnome.Mutter.DisplayConfig describes it
// (GetCurrentState), and the layout that changes one monitor's mode and
// keeps everything else (ApplyMonitorsConfig). No D-Bus here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen/compositor_modes.h"

namespace screen::gnome {

struct MutterMode {
    std::string id;  // e.g. "1280x1024@60.000"
    int width = 0;
    int height = 0;
    double refresh = 0;  // Hz
    std::vector<double> scales;
    bool current = false;
    bool preferred = false;
};

struct MutterMonitor {
    std::string connector;  // e.g. "DP-1"
    std::vector<MutterMode> modes;
    std::string vendor;  // as the monitor reports them; may be empty
    std::string product;
    std::string serial;
    const MutterMode* Current() const;
};

struct MutterLogicalMonitor {
    int x = 0;
    int y = 0;
    double scale = 1;
    std::uint32_t transform = 0;  // wl_output.transform values
    bool primary = false;
    std::vector<std::string> connectors;
};

// Logical monitor positions count in logical pixels (mode / scale) or in
// physical pixels (the mode itself).
constexpr std::uint32_t kLayoutLogical = 1;
constexpr std::uint32_t kLayoutPhysical = 2;

struct MutterState {
    std::uint32_t serial = 0;
    std::vector<MutterMonitor> monitors;
    std::vector<MutterLogicalMonitor> logical_monitors;
    std::optional<std::uint32_t> layout_mode;
    bool layout_mode_changeable = false;

    const MutterMonitor* Find(const std::string& connector) const;
    // The named monitor, else the first one of the primary logical monitor,
    // else the first monitor showing a mode; null when none.
    const MutterMonitor* Target(const std::string& connector) const;
};

std::vector<CompositorMode> CompositorModes(const MutterMonitor& monitor);

// One logical monitor of an ApplyMonitorsConfig call; monitors are
// (connector, mode id) pairs.
struct LogicalMonitorConfig {
    int x = 0;
    int y = 0;
    double scale = 1;
    std::uint32_t transform = 0;
    bool primary = false;
    std::vector<std::pair<std::string, std::string>> monitors;
    friend bool operator==(const LogicalMonitorConfig&, const LogicalMonitorConfig&) = default;
};

// The current layout with `connector` in the mode `mode_id`: other monitors
// keep their modes, every logical monitor its place, scale, transform and
// primary flag. If the new mode does not support the scale, the closest
// scale it supports is used; monitors right of or below the changed one
// move by its change in size, so nothing overlaps or comes apart. Disabled
// monitors stay disabled. Empty when the connector or mode is unknown.
std::optional<std::vector<LogicalMonitorConfig>> LayoutWithMode(const MutterState& state,
                                                                const std::string& connector,
                                                                const std::string& mode_id);

}  // namespace screen::gnome
