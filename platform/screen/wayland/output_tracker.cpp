#include "platform/screen/wayland/output_tracker.h"

#include <wayland-client.h>
#include <xdg-output-unstable-v1-client-protocol.h>

#include <algorithm>
#include <cstring>

namespace screen::wayland {
namespace {

struct Output {
    std::uint32_t global = 0;
    wl_output* proxy = nullptr;
    zxdg_output_v1* xdg = nullptr;
    OutputState state;
    OutputState pending;
    std::function<void()>* changed = nullptr;

    ~Output() {
        if (xdg) zxdg_output_v1_destroy(xdg);
        if (proxy) {
            if (wl_output_get_version(proxy) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
                wl_output_release(proxy);
            } else {
                wl_output_destroy(proxy);
            }
        }
    }

    void Commit() {
        state = pending;
        if (changed && *changed) (*changed)();
    }
};

void Geometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
              const char*, const char*, std::int32_t transform) {
    static_cast<Output*>(data)->pending.transform = transform;
}
void ModeEvent(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
               std::int32_t refresh) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    auto& s = static_cast<Output*>(data)->pending;
    s.width = width;
    s.height = height;
    s.refresh_mhz = refresh;
}
void Done(void* data, wl_output*) {
    static_cast<Output*>(data)->Commit();
}
void ScaleEvent(void* data, wl_output*, std::int32_t factor) {
    static_cast<Output*>(data)->pending.integer_scale = std::max(1, factor);
}
void Name(void* data, wl_output*, const char* name) {
    static_cast<Output*>(data)->pending.name = name ? name : "";
}
void Description(void*, wl_output*, const char*) {}
constexpr wl_output_listener kOutputListener = {Geometry, ModeEvent, Done, ScaleEvent, Name, Description};

void LogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto& s = static_cast<Output*>(data)->pending;
    s.has_logical = true;
    s.logical_x = x;
    s.logical_y = y;
}
void LogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto& s = static_cast<Output*>(data)->pending;
    s.has_logical = true;
    s.logical_width = width;
    s.logical_height = height;
}
// Since version 3 the wl_output done event closes xdg-output changes too.
void XdgDone(void* data, zxdg_output_v1* xdg) {
    if (zxdg_output_v1_get_version(xdg) < 3) static_cast<Output*>(data)->Commit();
}
void XdgName(void* data, zxdg_output_v1*, const char* name) {
    auto& s = static_cast<Output*>(data)->pending;
    if (s.name.empty() && name) s.name = name;
}
void XdgDescription(void*, zxdg_output_v1*, const char*) {}
constexpr zxdg_output_v1_listener kXdgListener = {LogicalPosition, LogicalSize, XdgDone, XdgName,
                                                  XdgDescription};

}  // namespace

double OutputState::Scale() const {
    const bool sideways = (transform & 1) != 0;  // 90 and 270 degrees, flipped or not
    const int device_width = sideways ? height : width;
    if (has_logical && logical_width > 0 && device_width > 0) {
        return static_cast<double>(device_width) / logical_width;
    }
    return integer_scale;
}

struct OutputTracker::Impl {
    zxdg_output_manager_v1* xdg_manager = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    std::function<void()> changed;

    void AddXdg(Output& output) {
        if (!xdg_manager || output.xdg) return;
        output.xdg = zxdg_output_manager_v1_get_xdg_output(xdg_manager, output.proxy);
        zxdg_output_v1_add_listener(output.xdg, &kXdgListener, &output);
    }

    void Clear() {
        outputs.clear();
        if (xdg_manager) zxdg_output_manager_v1_destroy(xdg_manager);
        xdg_manager = nullptr;
    }
};

OutputTracker::OutputTracker() : impl_(std::make_unique<Impl>()) {}
OutputTracker::~OutputTracker() = default;

void OutputTracker::OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                             std::uint32_t version) {
    Impl& d = *impl_;
    if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->global = name;
        output->changed = &d.changed;
        output->proxy = static_cast<wl_output*>(
            wl_registry_bind(registry, name, &wl_output_interface, std::min<std::uint32_t>(version, 4)));
        wl_output_add_listener(output->proxy, &kOutputListener, output.get());
        d.AddXdg(*output);
        d.outputs.push_back(std::move(output));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !d.xdg_manager) {
        d.xdg_manager = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
            registry, name, &zxdg_output_manager_v1_interface, std::min<std::uint32_t>(version, 3)));
        for (auto& output : d.outputs) d.AddXdg(*output);
    }
}

void OutputTracker::OnGlobalRemove(std::uint32_t name) {
    const std::size_t before = impl_->outputs.size();
    std::erase_if(impl_->outputs, [&](const auto& output) { return output->global == name; });
    if (impl_->outputs.size() != before && impl_->changed) impl_->changed();
}

const OutputState* OutputTracker::Find(const std::string& name) const {
    for (const auto& output : impl_->outputs) {
        if (output->state.name == name && output->state.width > 0) return &output->state;
    }
    return nullptr;
}

std::vector<const OutputState*> OutputTracker::Outputs() const {
    std::vector<const OutputState*> list;
    for (const auto& output : impl_->outputs) {
        if (output->state.width > 0) list.push_back(&output->state);
    }
    return list;
}

void OutputTracker::Clear() {
    impl_->Clear();
}

void OutputTracker::SetChangedCallback(std::function<void()> callback) {
    impl_->changed = std::move(callback);
}

}  // namespace screen::wayland
