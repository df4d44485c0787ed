#include "tools/adjust/monitor_choice.h"

#include <cstdlib>

#include "platform/screen/gnome/gnome_driver.h"
#include "platform/screen/gnome/mutter_monitors.h"
#include "platform/screen/wayland/wayland_monitors.h"
#include "platform/screen/xrandr/xrandr_driver.h"
#include "tools/adjust/monitor_report.h"

namespace adjust {
namespace {

constexpr const char* kProgram = "corvane-adjust";

}  // namespace

bool ReadWaylandMonitors(std::vector<screen::Monitor>* monitors, std::string* error, wl_display* display) {
    monitors->clear();
    // GNOME names its monitors on the session bus only.
    if (screen::GnomeScreenDriver::Offered()) {
        screen::GnomeScreenDriver gnome;
        if (!gnome.Open({}, {}, error)) return false;
        *monitors = screen::gnome::MonitorsOf(gnome.State());
        return true;
    }
    if (display) return screen::wayland::ReadMonitors(display, monitors, error);
    return screen::wayland::ReadMonitors(std::string(), monitors, error);
}

std::optional<int> ChooseWaylandMonitor(const std::string& requested, std::ostream& err, std::string* chosen,
                                        wl_display* display) {
    std::vector<screen::Monitor> monitors;
    std::string error;
    if (!ReadWaylandMonitors(&monitors, &error, display)) {
        *chosen = requested;
        return std::nullopt;
    }
    return ChooseMonitor(monitors, requested, err, chosen);
}

int ListMonitors(bool json, std::ostream& out, std::ostream& err) {
    std::string error;
    // A Wayland session's own outputs; XWayland would only show copies.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) {
        std::vector<screen::Monitor> monitors;
        if (!ReadWaylandMonitors(&monitors, &error)) {
            err << kProgram << ": cannot list the monitors: " << error << "\n";
            return 1;
        }
        out << (json ? MonitorsJson(monitors) : MonitorsText(monitors));
        return 0;
    }
    screen::XrandrScreenDriver randr;
    if (!randr.Open({}, &error)) {
        err << kProgram << ": cannot list the monitors: " << error << "\n";
        return 1;
    }
    if (randr.ReadOnly()) {
        err << kProgram << ": cannot list the monitors: the X server has no RandR 1.2\n";
        return 1;
    }
    const auto monitors = randr.Monitors();
    out << (json ? MonitorsJson(monitors) : MonitorsText(monitors));
    return 0;
}

}  // namespace adjust
