// The monitors of a Wayland desktop, as the compositor describes its outputs.
#pragma once

#include <string>
#include <vector>

#include "platform/screen/drm_edid.h"
#include "platform/screen/monitor.h"

struct wl_display;

namespace screen::wayland {

// Connects to `display_name` (empty: $WAYLAND_DISPLAY) and reads every
// output: from wlroots' output management where the compositor offers it
// (disabled heads included, with their make, model and serial), else from
// KDE's output devices, else from wl_output. The primary is the first of
// KDE's output order where the compositor tells one; elsewhere Wayland knows
// no primary monitor, and the output that shows a picture at the desktop's
// top left stands for it. The list is ordered by place, the primary first,
// outputs without a picture last. Each monitor's EDID is the one KDE's
// output device sends, else the one DRM has for the connector name; without
// one, the make, model and serial the compositor reports fill in. False with `error` set when the compositor
// cannot be reached.
bool ReadMonitors(const std::string& display_name, std::vector<Monitor>* monitors, std::string* error,
                  const std::string& drm_dir = kDrmClassPath);
// The same over a connection the caller made and keeps, on an event queue of
// its own: nothing the connection's other objects are sent is dispatched.
bool ReadMonitors(wl_display* display, std::vector<Monitor>* monitors, std::string* error,
                  const std::string& drm_dir = kDrmClassPath);

}  // namespace screen::wayland
