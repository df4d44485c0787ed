#include "platform/screen/compositor/compositor_driver.h"

#include "platform/screen/gnome/gnome_driver.h"
#include "platform/screen/kde/kde_driver.h"
#include "platform/screen/wayland/readonly_driver.h"
#include "platform/screen/wlr/wlr_driver.h"

namespace screen {

const char* KindName(CompositorDriverKind kind) {
    switch (kind) {
        case CompositorDriverKind::kWlroots:
            return "wlr-output-management";
        case CompositorDriverKind::kGnome:
            return "GNOME DisplayConfig";
        case CompositorDriverKind::kKde:
            return "KDE output management";
        case CompositorDriverKind::kReadOnly:
            return "read-only";
    }
    return "";
}

std::unique_ptr<EventScreenDriver> OpenCompositorScreenDriver(const std::string& wayland_display,
                                                              const std::string& output, std::string* error,
                                                              CompositorDriverKind* kind,
                                                              const std::string& bus_address) {
    // Opening is the test: a compositor without output management fails at
    // its first round trip, and one connection is spent, not two.
    if (auto driver = std::make_unique<WlrScreenDriver>(); driver->Open(wayland_display, output, error)) {
        if (kind) *kind = CompositorDriverKind::kWlroots;
        return driver;
    }
    if (GnomeScreenDriver::Offered(bus_address)) {
        auto driver = std::make_unique<GnomeScreenDriver>();
        if (driver->Open(bus_address, output, error)) {
            if (kind) *kind = CompositorDriverKind::kGnome;
            return driver;
        }
    }
    if (auto driver = std::make_unique<KdeScreenDriver>(); driver->Open(wayland_display, output, error)) {
        if (kind) *kind = CompositorDriverKind::kKde;
        return driver;
    }
    auto driver = std::make_unique<WaylandReadOnlyScreenDriver>();
    if (!driver->Open(wayland_display, output, error)) return nullptr;
    if (kind) *kind = CompositorDriverKind::kReadOnly;
    return driver;
}

}  // namespace screen
