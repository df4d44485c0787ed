#include "platform/screen/gnome/mutter_state.h"

#include <cmath>
#include <limits>

namespace screen::gnome {
namespace {

const MutterMode* FindMode(const MutterMonitor& monitor, const std::string& id) {
    for (const MutterMode& mode : monitor.modes) {
        if (mode.id == id) return &mode;
    }
    return nullptr;
}

// The scale to keep: the same one if the mode supports it, else the closest.
double KeptScale(double scale, const MutterMode& mode) {
    if (mode.scales.empty()) return scale;
    double best = mode.scales.front();
    for (double s : mode.scales) {
        if (std::abs(s - scale) < 1e-6) return s;
        if (std::abs(s - scale) < std::abs(best - scale)) best = s;
    }
    return best;
}

// A logical monitor's size in layout units for a monitor mode.
void LayoutSize(const MutterMode& mode, double scale, std::uint32_t transform, std::uint32_t layout_mode,
                int* width, int* height) {
    const bool sideways = (transform & 1) != 0;
    double w = sideways ? mode.height : mode.width;
    double h = sideways ? mode.width : mode.height;
    if (layout_mode == kLayoutLogical && scale > 0) {
        w /= scale;
        h /= scale;
    }
    *width = static_cast<int>(std::lround(w));
    *height = static_cast<int>(std::lround(h));
}

}  // namespace

const MutterMode* MutterMonitor::Current() const {
    for (const MutterMode& mode : modes) {
        if (mode.current) return &mode;
    }
    return nullptr;
}

const MutterMonitor* MutterState::Find(const std::string& connector) const {
    for (const MutterMonitor& monitor : monitors) {
        if (monitor.connector == connector) return &monitor;
    }
    return nullptr;
}

const MutterMonitor* MutterState::Target(const std::string& connector) const {
    if (!connector.empty()) return Find(connector);
    for (const MutterLogicalMonitor& logical : logical_monitors) {
        if (logical.primary && !logical.connectors.empty()) {
            if (const MutterMonitor* monitor = Find(logical.connectors.front())) return monitor;
        }
    }
    for (const MutterMonitor& monitor : monitors) {
        if (monitor.Current()) return &monitor;
    }
    return nullptr;
}

std::vector<CompositorMode> CompositorModes(const MutterMonitor& monitor) {
    std::vector<CompositorMode> list;
    for (const MutterMode& mode : monitor.modes) {
        const double mhz = mode.refresh * 1000.0;
        const bool sane = std::isfinite(mhz) && mhz >= 0 && mhz < std::numeric_limits<int>::max();
        list.push_back({mode.width, mode.height, sane ? static_cast<int>(std::lround(mhz)) : 0,
                        mode.preferred, mode.current});
    }
    return list;
}

std::optional<std::vector<LogicalMonitorConfig>> LayoutWithMode(const MutterState& state,
                                                                const std::string& connector,
                                                                const std::string& mode_id) {
    const MutterMonitor* target = state.Find(connector);
    if (!target) return std::nullopt;
    const MutterMode* old_mode = target->Current();
    const MutterMode* new_mode = FindMode(*target, mode_id);
    if (!old_mode || !new_mode) return std::nullopt;
    const std::uint32_t layout_mode = state.layout_mode.value_or(kLayoutLogical);

    std::vector<LogicalMonitorConfig> configs;
    std::optional<std::size_t> changed;
    int grow_x = 0;
    int grow_y = 0;
    for (const MutterLogicalMonitor& logical : state.logical_monitors) {
        LogicalMonitorConfig config{logical.x,         logical.y,       logical.scale,
                                    logical.transform, logical.primary, {}};
        bool holds_target = false;
        for (const std::string& name : logical.connectors) {
            const MutterMonitor* monitor = state.Find(name);
            const MutterMode* mode = monitor ? monitor->Current() : nullptr;
            if (!mode) return std::nullopt;
            if (name == connector) {
                holds_target = true;
                config.monitors.emplace_back(name, new_mode->id);
            } else {
                config.monitors.emplace_back(name, mode->id);
            }
        }
        if (holds_target) {
            config.scale = KeptScale(logical.scale, *new_mode);
            int old_w = 0, old_h = 0, new_w = 0, new_h = 0;
            LayoutSize(*old_mode, logical.scale, logical.transform, layout_mode, &old_w, &old_h);
            LayoutSize(*new_mode, config.scale, logical.transform, layout_mode, &new_w, &new_h);
            grow_x = new_w - old_w;
            grow_y = new_h - old_h;
        }
        if (holds_target) changed = configs.size();
        configs.push_back(std::move(config));
    }
    if (!changed) return std::nullopt;

    // Those beyond the changed monitor's old right or bottom edge follow it.
    const std::size_t changed_index = *changed;
    const MutterLogicalMonitor& before = state.logical_monitors[changed_index];
    int old_w = 0, old_h = 0;
    LayoutSize(*old_mode, before.scale, before.transform, layout_mode, &old_w, &old_h);
    for (std::size_t i = 0; i < configs.size(); ++i) {
        if (i == changed_index) continue;
        if (configs[i].x >= before.x + old_w) configs[i].x += grow_x;
        if (configs[i].y >= before.y + old_h) configs[i].y += grow_y;
    }
    return configs;
}

}  // namespace screen::gnome
