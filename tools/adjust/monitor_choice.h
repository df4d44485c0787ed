// Which monitor corvane-adjust covers, and --list-monitors.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/screen/monitor.h"

struct wl_display;

namespace adjust {

// The monitor named `requested`, or with an empty request the default one
// (the primary), into *chosen. Returns an exit status when the program is to
// end: 2 for a name no monitor has, or one that shows no picture, with the
// list on `err`. Without any monitor *chosen stays empty. Prints on `err` the
// hint about another analog monitor (default choice only) and a note when
// several monitors share the requested name (the first is taken).
std::optional<int> ChooseMonitor(std::span<const screen::Monitor> monitors, const std::string& requested,
                                 std::ostream& err, std::string* chosen);

// The monitors of the Wayland desktop in $WAYLAND_DISPLAY: from GNOME's
// DisplayConfig where the session bus offers it, else from the compositor's
// outputs, over `display` when given (a connection to it that stays open),
// else over a connection of their own. False with the reason in `error`
// when neither answers.
bool ReadWaylandMonitors(std::vector<screen::Monitor>* monitors, std::string* error,
                         wl_display* display = nullptr);

// ChooseMonitor among the Wayland desktop's monitors, read as above. When
// they cannot be read, the request stands as it is and whoever opens the
// output decides.
std::optional<int> ChooseWaylandMonitor(const std::string& requested, std::ostream& err, std::string* chosen,
                                        wl_display* display = nullptr);

// --list-monitors [--json]: the monitors of the Wayland desktop in
// $WAYLAND_DISPLAY (from GNOME's DisplayConfig where the session bus offers
// it, else from the compositor's outputs), else of the X display in
// $DISPLAY, on `out`; 0, or 1 with the reason on `err` when there is no
// display to ask.
int ListMonitors(bool json, std::ostream& out, std::ostream& err);

}  // namespace adjust
