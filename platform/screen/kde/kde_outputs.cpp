#include "platform/screen/kde/kde_outputs.h"

#include <kde-output-device-v2-client-protocol.h>
#include <kde-output-order-v1-client-protocol.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>

namespace screen::kde {
namespace {

// Version 2 names the output's connector.
constexpr std::uint32_t kDeviceVersion = 2;
constexpr std::uint32_t kOrderVersion = 1;

std::string Text(const char* text) {
    return text ? text : "";
}

}  // namespace

Device::~Device() {
    for (auto& mode : modes) kde_output_device_mode_v2_destroy(mode->proxy);
    if (proxy) kde_output_device_v2_destroy(proxy);
}

std::vector<CompositorMode> Device::Modes() const {
    std::vector<CompositorMode> list;
    for (const auto& mode : modes) {
        CompositorMode info = mode->info;
        info.current = mode.get() == current;
        list.push_back(info);
    }
    return list;
}

DisplayMode Device::Mode() const {
    if (!enabled || !current) return {};
    return {current->info.width, current->info.height, RoundedHz(current->info.refresh_mhz), kCompositorBpp};
}

struct Outputs::OrderProxy {
    kde_output_order_v1* proxy = nullptr;
    Outputs* owner = nullptr;
    ~OrderProxy() {
        if (proxy) kde_output_order_v1_destroy(proxy);
    }
};

struct Outputs::Listeners {
    static Device& Of(void* data) { return *static_cast<Device*>(data); }

    static void ModeSize(void* data, kde_output_device_mode_v2*, std::int32_t width, std::int32_t height) {
        auto* mode = static_cast<DeviceMode*>(data);
        mode->info.width = width;
        mode->info.height = height;
    }
    static void ModeRefresh(void* data, kde_output_device_mode_v2*, std::int32_t refresh) {
        static_cast<DeviceMode*>(data)->info.refresh_mhz = refresh;
    }
    static void ModePreferred(void* data, kde_output_device_mode_v2*) {
        static_cast<DeviceMode*>(data)->info.preferred = true;
    }
    static void ModeRemoved(void* data, kde_output_device_mode_v2* proxy);
    static constexpr kde_output_device_mode_v2_listener kModeListener = {ModeSize, ModeRefresh, ModePreferred,
                                                                         ModeRemoved};

    static void Geometry(void* data, kde_output_device_v2*, std::int32_t x, std::int32_t y, std::int32_t,
                         std::int32_t, std::int32_t, const char* make, const char* model,
                         std::int32_t transform) {
        Device& d = Of(data);
        d.x = x;
        d.y = y;
        d.make = Text(make);
        d.model = Text(model);
        d.transform = transform;
    }
    static void CurrentMode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy) {
        Device& d = Of(data);
        d.current = nullptr;
        for (const auto& mode : d.modes) {
            if (mode->proxy == proxy) d.current = mode.get();
        }
    }
    static void Mode(void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy) {
        Device& d = Of(data);
        auto mode = std::make_unique<DeviceMode>();
        mode->device = &d;
        mode->proxy = proxy;
        kde_output_device_mode_v2_add_listener(proxy, &kModeListener, mode.get());
        d.modes.push_back(std::move(mode));
    }
    static void Done(void* data, kde_output_device_v2*) {
        Device& d = Of(data);
        d.described = true;
        d.owner->Changed();
    }
    static void Scale(void* data, kde_output_device_v2*, wl_fixed_t factor) { Of(data).scale_fixed = factor; }
    static void Edid(void* data, kde_output_device_v2*, const char* raw) {
        Of(data).edid = DecodeBase64(Text(raw));
    }
    static void Enabled(void* data, kde_output_device_v2*, std::int32_t enabled) {
        Of(data).enabled = enabled != 0;
    }
    static void Uuid(void*, kde_output_device_v2*, const char*) {}
    static void Serial(void* data, kde_output_device_v2*, const char* serial) {
        Of(data).serial = Text(serial);
    }
    static void EisaId(void*, kde_output_device_v2*, const char*) {}
    static void Flags(void*, kde_output_device_v2*, std::uint32_t) {}
    static void Name(void* data, kde_output_device_v2*, const char* name) { Of(data).name = Text(name); }

    static constexpr kde_output_device_v2_listener kDeviceListener = {
        Geometry, CurrentMode, Mode,  Done,  Scale, Edid,  Enabled, Uuid,
        Serial,   EisaId,      Flags, Flags, Flags, Flags, Name};

    static void OrderOutput(void* data, kde_output_order_v1*, const char* name) {
        static_cast<Outputs*>(data)->order_pending_.push_back(Text(name));
    }
    static void OrderDone(void* data, kde_output_order_v1*) {
        auto* outputs = static_cast<Outputs*>(data);
        outputs->order_ = std::move(outputs->order_pending_);
        outputs->order_pending_.clear();
        outputs->Changed();
    }
    static constexpr kde_output_order_v1_listener kOrderListener = {OrderOutput, OrderDone};
};

// The compositor no longer offers this mode; a current mode it was stays
// unknown until the next current_mode event.
void Outputs::Listeners::ModeRemoved(void* data, kde_output_device_mode_v2*) {
    auto* mode = static_cast<DeviceMode*>(data);
    Device* device = mode->device;
    if (device->current == mode) device->current = nullptr;
    kde_output_device_mode_v2_destroy(mode->proxy);
    std::erase_if(device->modes, [&](const auto& m) { return m.get() == mode; });
}

Outputs::Outputs() = default;

Outputs::~Outputs() {
    Clear();
}

void Outputs::OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
    if (std::strcmp(interface, kde_output_device_v2_interface.name) == 0) {
        auto device = std::make_unique<Device>();
        device->owner = this;
        device->global = name;
        device->proxy = static_cast<kde_output_device_v2*>(wl_registry_bind(
            registry, name, &kde_output_device_v2_interface, std::min(version, kDeviceVersion)));
        kde_output_device_v2_add_listener(device->proxy, &Listeners::kDeviceListener, device.get());
        devices_.push_back(std::move(device));
    } else if (std::strcmp(interface, kde_output_order_v1_interface.name) == 0 && !order_proxy_) {
        order_proxy_ = std::make_unique<OrderProxy>();
        order_proxy_->proxy = static_cast<kde_output_order_v1*>(wl_registry_bind(
            registry, name, &kde_output_order_v1_interface, std::min(version, kOrderVersion)));
        kde_output_order_v1_add_listener(order_proxy_->proxy, &Listeners::kOrderListener, this);
    }
}

void Outputs::OnGlobalRemove(std::uint32_t name) {
    const auto before = devices_.size();
    std::erase_if(devices_, [&](const auto& device) { return device->global == name; });
    if (devices_.size() != before) Changed();
}

std::vector<const Device*> Outputs::Devices() const {
    std::vector<const Device*> list;
    for (const auto& device : devices_) {
        if (device->described) list.push_back(device.get());
    }
    return list;
}

const Device* Outputs::Find(const std::string& name) const {
    for (const auto& device : devices_) {
        if (device->described && device->name == name) return device.get();
    }
    return nullptr;
}

bool Outputs::AllDescribed() const {
    return std::all_of(devices_.begin(), devices_.end(), [](const auto& d) { return d->described; });
}

void Outputs::Clear() {
    devices_.clear();
    order_proxy_.reset();
    order_.clear();
    order_pending_.clear();
}

std::vector<std::uint8_t> DecodeBase64(const std::string& text) {
    const auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (c == '=') {
            ++padding;
            continue;
        }
        const int v = value(c);
        if (v < 0 || padding > 0) return {};
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    if (padding > 2 || (text.size() % 4 != 0 && padding > 0)) return {};
    return bytes;
}

}  // namespace screen::kde
