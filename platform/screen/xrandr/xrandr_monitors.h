// The monitors of an X screen, read from its RandR outputs.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <string>
#include <vector>

#include "platform/screen/monitor.h"
#include "platform/screen/xrandr/xrandr_modes.h"

namespace screen::xrandr {

ModeTiming TimingOf(const XRRModeInfo& info);

// Every connected output, in RandR's order (and an output of unknown
// connection that shows a picture), with its EDID from the output property
// "EDID". Needs RandR 1.2; `has_primary` says 1.3 is there too.
std::vector<Monitor> ReadMonitors(Display* display, Window root, bool has_primary,
                                  const std::string& pnp_ids_path = edid::kPnpIdsPath);

}  // namespace screen::xrandr
