// What corvane-adjust prints about the monitors: the list (as text or JSON)
// and the hint about an analog monitor the wizard is not on.
#pragma once

#include <span>
#include <string>

#include "platform/screen/monitor.h"

namespace adjust {

// A JSON list with one object per monitor, keys in this order: name,
// connector, primary, current {width, height, refresh}, edid (null without a
// readable one; else input, pnp, make, model, serial, year, width_mm,
// height_mm, diagonal_in, native {width, height, refresh}) and edid_error
// (null with a readable EDID). Unknown texts are null.
std::string MonitorsJson(std::span<const screen::Monitor> monitors);

// One block per monitor, separated by blank lines.
std::string MonitorsText(std::span<const screen::Monitor> monitors);

// "NAME is an analog (VGA) monitor: corvane-adjust --monitor NAME adjusts it"
// for the first analog monitor other than `chosen`; empty when there is none.
std::string AnalogHint(std::span<const screen::Monitor> monitors, const screen::Monitor* chosen);

}  // namespace adjust
