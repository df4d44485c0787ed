// The monitors of a GNOME session, from the layout DisplayConfig describes.
#pragma once

#include <string>
#include <vector>

#include "platform/screen/drm_edid.h"
#include "platform/screen/gnome/mutter_state.h"
#include "platform/screen/monitor.h"

namespace screen::gnome {

// One monitor per connector, in GNOME's order: primary as its logical
// monitor says, place and current mode as GNOME shows them (off when in no
// logical monitor or without a current mode). The EDID comes from DRM by
// connector name; without one, the vendor, product and serial GNOME reports
// fill in.
std::vector<Monitor> MonitorsOf(const MutterState& state, const std::string& drm_dir = kDrmClassPath);

}  // namespace screen::gnome
