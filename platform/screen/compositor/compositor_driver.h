// Choosing the screen driver of a Wayland desktop.
#pragma once

#include <memory>
#include <string>

#include "platform/screen/event_driver.h"

namespace screen {

enum class CompositorDriverKind { kWlroots, kGnome, kKde, kReadOnly };
const char* KindName(CompositorDriverKind kind);

// The driver for the compositor at `wayland_display` (empty:
// $WAYLAND_DISPLAY): wlroots output management where the compositor offers
// it, else GNOME's DisplayConfig on the session bus at `bus_address` (empty:
// $DBUS_SESSION_BUS_ADDRESS), else KDE's output management, else a driver
// that reads the mode and refuses every change. It acts on `output` (empty: the compositor's first or
// primary). Null with `error` set when the compositor cannot be reached.
std::unique_ptr<EventScreenDriver> OpenCompositorScreenDriver(const std::string& wayland_display,
                                                              const std::string& output, std::string* error,
                                                              CompositorDriverKind* kind = nullptr,
                                                              const std::string& bus_address = {});

}  // namespace screen
