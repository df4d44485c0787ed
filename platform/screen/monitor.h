// The monitors of the desktop: which connector each hangs on, which is the
// primary, what mode it shows and what its EDID says.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/screen/driver.h"
#include "platform/screen/edid.h"

namespace screen {

enum class ConnectorType { kUnknown, kVga, kDvi, kHdmi, kDisplayPort, kInternal };

// "VGA", "DVI", "HDMI", "DisplayPort", "eDP/LVDS" or "unknown".
std::string_view ConnectorLabel(ConnectorType type);

// From a connector name such as "VGA-1", "DVI-I-1", "HDMI-A-1", "DP-2",
// "DisplayPort-0", "eDP-1", "LVDS1" or "card0-HDMI-A-1", or from a kind as
// RandR's ConnectorType property gives it ("VGA", "Panel", ...).
ConnectorType ConnectorFromName(std::string_view name);

struct Monitor {
    std::string name;  // the connector's name, e.g. "HDMI-1"
    ConnectorType connector = ConnectorType::kUnknown;
    bool primary = false;
    bool active = false;  // shows a picture (has a mode)
    int x = 0;            // where its picture sits on the desktop
    int y = 0;
    DisplayMode current;  // zeros when inactive
    std::optional<edid::Info> edid;
    std::string edid_error;  // why `edid` is empty
    // The maker's name for the EDID's PNP ID; or, with no EDID, the make,
    // model and serial the compositor reports.
    std::string make;
    std::string model;
    std::string serial;
};

// Reads `bytes` as the monitor's EDID. Without a readable one, `edid_error`
// says why ("no EDID" for none at all). A connector type the name did not
// give follows from the EDID: analog input VGA; digital input as its
// interface says, else HDMI with a CEA-861 extension, else DVI.
void AttachEdid(Monitor& monitor, std::span<const std::uint8_t> bytes,
                const std::string& pnp_ids_path = edid::kPnpIdsPath);

// An analog input, as the EDID says or, without one, as a VGA connector implies.
bool IsAnalog(const Monitor& monitor);

// The first monitor named `name`, or null. `duplicates` (when given) counts
// the others of that name.
const Monitor* FindMonitor(std::span<const Monitor> monitors, std::string_view name,
                           int* duplicates = nullptr);

// The monitor the wizard takes when none is named: the primary, else the
// first that shows a picture, else null.
const Monitor* DefaultMonitor(std::span<const Monitor> monitors);

}  // namespace screen
