// KDE Plasma's description of its outputs: kde_output_device_v2 (every
// output, on or off, with its modes, scale, place and EDID) and
// kde_output_order_v1 (which output comes first: the primary). Used by the
// KDE screen driver and the monitor list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/screen/compositor_modes.h"

struct wl_registry;
struct kde_output_device_v2;
struct kde_output_device_mode_v2;

namespace screen::kde {

struct Device;

struct DeviceMode {
    Device* device = nullptr;
    kde_output_device_mode_v2* proxy = nullptr;
    CompositorMode info;  // `current` unused: see Device::current
};

class Outputs;

struct Device {
    Outputs* owner = nullptr;
    kde_output_device_v2* proxy = nullptr;
    std::uint32_t global = 0;
    bool described = false;  // a first done event arrived
    std::string name;        // the connector, e.g. "Virtual-1"
    bool enabled = false;
    std::vector<std::unique_ptr<DeviceMode>> modes;
    const DeviceMode* current = nullptr;
    int x = 0;  // place in the desktop, logical pixels
    int y = 0;
    std::int32_t transform = 0;
    std::int32_t scale_fixed = 256;  // wl_fixed_t
    std::string make;
    std::string model;
    std::string serial;
    std::vector<std::uint8_t> edid;  // empty: none

    Device() = default;
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // The modes as the mode chooser takes them, the current one marked.
    std::vector<CompositorMode> Modes() const;
    // The current mode, zeros when off or unknown.
    DisplayMode Mode() const;
};

class Outputs {
public:
    Outputs();
    ~Outputs();
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    // Feed every registry global and removal: the output devices and the
    // output order are bound, the rest ignored.
    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void OnGlobalRemove(std::uint32_t name);

    bool Offered() const { return !devices_.empty(); }
    // Every device whose first description is complete.
    std::vector<const Device*> Devices() const;
    const Device* Find(const std::string& name) const;
    // KDE's order of the enabled outputs by name, first the primary; empty
    // when the compositor does not tell it.
    const std::vector<std::string>& Order() const { return order_; }
    // All bound devices described (after a round trip or two).
    bool AllDescribed() const;

    // Runs after a device's done event, a device leaving, or a new order.
    void SetChangedCallback(std::function<void()> callback) { changed_ = std::move(callback); }

    // Destroys every proxy; call before the connection closes.
    void Clear();

    struct Listeners;

private:
    void Changed() const {
        if (changed_) changed_();
    }

    std::vector<std::unique_ptr<Device>> devices_;
    struct OrderProxy;
    std::unique_ptr<OrderProxy> order_proxy_;
    std::vector<std::string> order_;
    std::vector<std::string> order_pending_;
    std::function<void()> changed_;
};

// The bytes of base64 `text` (standard alphabet, '=' padding); empty when
// it is not base64.
std::vector<std::uint8_t> DecodeBase64(const std::string& text);

}  // namespace screen::kde
