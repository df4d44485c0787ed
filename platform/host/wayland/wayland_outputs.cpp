#include "platform/host/wayland/wayland_outputs.h"

#include <wayland-client.h>
#include <xdg-output-unstable-v1-client-protocol.h>

#include <algorithm>

namespace host::wayland {

struct OutputListeners {
    static void Geometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                         const char*, int32_t transform) {
        static_cast<Output*>(data)->pending.transform = transform;
    }
    static void Mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t refresh) {
        if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
        auto* o = static_cast<Output*>(data);
        o->pending.mode_width = width;
        o->pending.mode_height = height;
        o->pending.refresh_mhz = refresh;
    }
    static void Done(void* data, wl_output*) {
        auto* o = static_cast<Output*>(data);
        Outputs::Done(*o, *o->owner);
    }
    static void Scale(void* data, wl_output*, int32_t factor) {
        static_cast<Output*>(data)->pending.scale = std::max(factor, 1);
    }
    static void Name(void* data, wl_output*, const char* name) {
        static_cast<Output*>(data)->pending.name = name ? name : "";
    }
    static void Description(void*, wl_output*, const char*) {}

    static void XdgPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
    static void XdgSize(void* data, zxdg_output_v1*, int32_t width, int32_t height) {
        auto* o = static_cast<Output*>(data);
        o->pending.logical_width = width;
        o->pending.logical_height = height;
    }
    // Version 3 of xdg-output sends its state with wl_output's "done".
    static void XdgDone(void* data, zxdg_output_v1* xdg) {
        if (zxdg_output_v1_get_version(xdg) < 3) Done(data, nullptr);
    }
    static void XdgName(void* data, zxdg_output_v1*, const char* name) {
        auto* o = static_cast<Output*>(data);
        if (o->pending.name.empty() && name) o->pending.name = name;
    }
    static void XdgDescription(void*, zxdg_output_v1*, const char*) {}

    static constexpr wl_output_listener kOutput = {Geometry, Mode, Done, Scale, Name, Description};
    static constexpr zxdg_output_v1_listener kXdg = {XdgPosition, XdgSize, XdgDone, XdgName, XdgDescription};
};

Outputs::~Outputs() {
    for (auto& o : outputs_) {
        if (o->xdg) zxdg_output_v1_destroy(o->xdg);
        if (o->output) {
            if (wl_output_get_version(o->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
                wl_output_release(o->output);
            } else {
                wl_output_destroy(o->output);
            }
        }
    }
    if (xdg_manager_) zxdg_output_manager_v1_destroy(xdg_manager_);
}

void Outputs::Bind(wl_registry* registry, std::uint32_t global, std::uint32_t version) {
    auto o = std::make_unique<Output>();
    o->owner = this;
    o->global = global;
    o->output = static_cast<wl_output*>(
        wl_registry_bind(registry, global, &wl_output_interface, std::min<std::uint32_t>(version, 4)));
    wl_output_add_listener(o->output, &OutputListeners::kOutput, o.get());
    outputs_.push_back(std::move(o));
    AttachXdg(*outputs_.back());
}

void Outputs::BindXdgManager(wl_registry* registry, std::uint32_t global, std::uint32_t version) {
    if (xdg_manager_) return;
    xdg_manager_ = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
        registry, global, &zxdg_output_manager_v1_interface, std::min<std::uint32_t>(version, 3)));
    for (auto& o : outputs_) AttachXdg(*o);
}

void Outputs::AttachXdg(Output& output) {
    if (!xdg_manager_ || output.xdg) return;
    output.xdg = zxdg_output_manager_v1_get_xdg_output(xdg_manager_, output.output);
    zxdg_output_v1_add_listener(output.xdg, &OutputListeners::kXdg, &output);
}

bool Outputs::Remove(std::uint32_t global) {
    auto it = std::find_if(outputs_.begin(), outputs_.end(), [&](auto& o) { return o->global == global; });
    if (it == outputs_.end()) return false;
    Output& o = **it;
    if (o.xdg) zxdg_output_v1_destroy(o.xdg);
    if (wl_output_get_version(o.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
        wl_output_release(o.output);
    } else {
        wl_output_destroy(o.output);
    }
    outputs_.erase(it);
    return true;
}

Output* Outputs::FindGlobal(std::uint32_t global) const {
    for (auto& o : outputs_) {
        if (o->global == global) return o.get();
    }
    return nullptr;
}

std::string Outputs::Names() const {
    std::string names;
    for (auto& o : outputs_) {
        if (!o->ready) continue;
        if (!names.empty()) names += ", ";
        names += o->state.name.empty() ? "(unnamed)" : o->state.name;
    }
    return names;
}

void Outputs::Done(Output& output, Outputs& self) {
    const bool changed = !output.ready || !(output.pending == output.state);
    output.state = output.pending;
    output.ready = true;
    if (changed && self.on_change_) self.on_change_(output);
}

}  // namespace host::wayland
