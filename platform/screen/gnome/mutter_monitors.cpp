#include "platform/screen/gnome/mutter_monitors.h"

#include <algorithm>
#include <cmath>

namespace screen::gnome {

std::vector<Monitor> MonitorsOf(const MutterState& state, const std::string& drm_dir) {
    std::vector<Monitor> monitors;
    for (const MutterMonitor& source : state.monitors) {
        Monitor m;
        m.name = source.connector;
        m.connector = ConnectorFromName(m.name);
        for (const MutterLogicalMonitor& logical : state.logical_monitors) {
            if (std::find(logical.connectors.begin(), logical.connectors.end(), source.connector) ==
                logical.connectors.end()) {
                continue;
            }
            m.primary = logical.primary;
            m.x = logical.x;
            m.y = logical.y;
            if (const MutterMode* mode = source.Current()) {
                m.active = true;
                m.current = {mode->width, mode->height, static_cast<int>(std::lround(mode->refresh)), 32};
            }
        }
        std::string why;
        const std::vector<std::uint8_t> bytes = ReadDrmEdid(m.name, &why, drm_dir);
        AttachEdid(m, bytes);
        if (!m.edid) {
            m.make = source.vendor;
            m.model = source.product;
            m.serial = source.serial;
            if (bytes.empty()) m.edid_error = why;
        }
        monitors.push_back(std::move(m));
    }
    return monitors;
}

}  // namespace screen::gnome
