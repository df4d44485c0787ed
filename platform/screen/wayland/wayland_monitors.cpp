#include "platform/screen/wayland/wayland_monitors.h"

#include <wayland-client.h>
#include <wlr-output-management-unstable-v1-client-protocol.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/screen/kde/kde_outputs.h"

namespace screen::wayland {
namespace {

// wl_output version 4 names its connector.
constexpr std::uint32_t kOutputVersion = 4;
constexpr std::uint32_t kHeadManagerVersion = 2;

int RefreshHz(std::int32_t millihertz) {
    return millihertz > 0 ? static_cast<int>(std::lround(millihertz / 1000.0)) : 0;
}

// One output as the compositor describes it, by either protocol.
struct Output {
    Monitor monitor;
    wl_output* output = nullptr;
    zwlr_output_head_v1* head = nullptr;
    std::vector<std::pair<zwlr_output_mode_v1*, DisplayMode>> modes;
    zwlr_output_mode_v1* current = nullptr;
};

struct Reader {
    wl_display* display = nullptr;
    bool own_display = false;
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr;  // the display's requests, their objects' events on `queue`
    wl_registry* registry = nullptr;
    zwlr_output_manager_v1* manager = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;  // wl_output's
    std::vector<std::unique_ptr<Output>> heads;    // the output manager's
    kde::Outputs kde;                              // KDE's output devices and order

    ~Reader() {
        kde.Clear();
        for (auto& h : heads) {
            for (auto& [mode, unused] : h->modes) zwlr_output_mode_v1_destroy(mode);
            if (h->head) zwlr_output_head_v1_destroy(h->head);
        }
        // On a connection that stays, the compositor is told to stop
        // describing the outputs to these objects.
        for (auto& o : outputs) {
            if (!o->output) continue;
            if (wl_output_get_version(o->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
                wl_output_release(o->output);
            } else {
                wl_output_destroy(o->output);
            }
        }
        if (manager) {
            zwlr_output_manager_v1_stop(manager);
            zwlr_output_manager_v1_destroy(manager);
        }
        if (registry) wl_registry_destroy(registry);
        if (wrapper) wl_proxy_wrapper_destroy(wrapper);
        if (queue) wl_event_queue_destroy(queue);
        if (display && own_display) wl_display_disconnect(display);
    }
};

std::string Text(const char* text) {
    return text ? text : "";
}

// --- wl_output ---

void OutputGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                    std::int32_t, const char* make, const char* model, std::int32_t) {
    auto* o = static_cast<Output*>(data);
    o->monitor.x = x;
    o->monitor.y = y;
    o->monitor.make = Text(make);
    o->monitor.model = Text(model);
}

void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                std::int32_t refresh) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    auto* o = static_cast<Output*>(data);
    o->monitor.current = {width, height, RefreshHz(refresh), 32};
    o->monitor.active = width > 0 && height > 0;
}

void OutputDone(void*, wl_output*) {}
void OutputScale(void*, wl_output*, std::int32_t) {}

void OutputName(void* data, wl_output*, const char* name) {
    static_cast<Output*>(data)->monitor.name = Text(name);
}

void OutputDescription(void*, wl_output*, const char*) {}

constexpr wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone,
                                                OutputScale,    OutputName, OutputDescription};

// --- zwlr_output_mode_v1 ---

DisplayMode* ModeOf(void* data, zwlr_output_mode_v1* mode) {
    auto* h = static_cast<Output*>(data);
    for (auto& [m, value] : h->modes) {
        if (m == mode) return &value;
    }
    return nullptr;
}

void ModeSize(void* data, zwlr_output_mode_v1* mode, std::int32_t width, std::int32_t height) {
    if (DisplayMode* m = ModeOf(data, mode)) {
        m->width = width;
        m->height = height;
    }
}

void ModeRefresh(void* data, zwlr_output_mode_v1* mode, std::int32_t refresh) {
    if (DisplayMode* m = ModeOf(data, mode)) m->refresh = RefreshHz(refresh);
}

void ModePreferred(void*, zwlr_output_mode_v1*) {}
void ModeFinished(void*, zwlr_output_mode_v1*) {}

constexpr zwlr_output_mode_v1_listener kModeListener = {ModeSize, ModeRefresh, ModePreferred, ModeFinished};

// --- zwlr_output_head_v1 ---

void HeadName(void* data, zwlr_output_head_v1*, const char* name) {
    static_cast<Output*>(data)->monitor.name = Text(name);
}
void HeadDescription(void*, zwlr_output_head_v1*, const char*) {}
void HeadPhysicalSize(void*, zwlr_output_head_v1*, std::int32_t, std::int32_t) {}

void HeadMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* mode) {
    auto* h = static_cast<Output*>(data);
    h->modes.emplace_back(mode, DisplayMode{0, 0, 0, 32});
    zwlr_output_mode_v1_add_listener(mode, &kModeListener, h);
}

void HeadEnabled(void* data, zwlr_output_head_v1*, std::int32_t enabled) {
    static_cast<Output*>(data)->monitor.active = enabled != 0;
}

void HeadCurrentMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* mode) {
    static_cast<Output*>(data)->current = mode;
}

void HeadPosition(void* data, zwlr_output_head_v1*, std::int32_t x, std::int32_t y) {
    auto* h = static_cast<Output*>(data);
    h->monitor.x = x;
    h->monitor.y = y;
}

void HeadTransform(void*, zwlr_output_head_v1*, std::int32_t) {}
void HeadScale(void*, zwlr_output_head_v1*, wl_fixed_t) {}
void HeadFinished(void*, zwlr_output_head_v1*) {}

void HeadMake(void* data, zwlr_output_head_v1*, const char* make) {
    static_cast<Output*>(data)->monitor.make = Text(make);
}
void HeadModel(void* data, zwlr_output_head_v1*, const char* model) {
    static_cast<Output*>(data)->monitor.model = Text(model);
}
void HeadSerial(void* data, zwlr_output_head_v1*, const char* serial) {
    static_cast<Output*>(data)->monitor.serial = Text(serial);
}

constexpr zwlr_output_head_v1_listener kHeadListener = {
    HeadName,      HeadDescription, HeadPhysicalSize, HeadMode, HeadEnabled, HeadCurrentMode, HeadPosition,
    HeadTransform, HeadScale,       HeadFinished,     HeadMake, HeadModel,   HeadSerial};

// --- zwlr_output_manager_v1 ---

void ManagerHead(void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* head) {
    auto* reader = static_cast<Reader*>(data);
    reader->heads.push_back(std::make_unique<Output>());
    reader->heads.back()->head = head;
    zwlr_output_head_v1_add_listener(head, &kHeadListener, reader->heads.back().get());
}
void ManagerDone(void*, zwlr_output_manager_v1*, std::uint32_t) {}
void ManagerFinished(void*, zwlr_output_manager_v1*) {}

constexpr zwlr_output_manager_v1_listener kManagerListener = {ManagerHead, ManagerDone, ManagerFinished};

// --- wl_registry ---

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    auto* reader = static_cast<Reader*>(data);
    reader->kde.OnGlobal(registry, name, interface, version);
    if (std::strcmp(interface, wl_output_interface.name) == 0) {
        reader->outputs.push_back(std::make_unique<Output>());
        Output& o = *reader->outputs.back();
        o.output = static_cast<wl_output*>(
            wl_registry_bind(registry, name, &wl_output_interface, std::min(version, kOutputVersion)));
        wl_output_add_listener(o.output, &kOutputListener, &o);
    } else if (std::strcmp(interface, zwlr_output_manager_v1_interface.name) == 0 && !reader->manager) {
        reader->manager = static_cast<zwlr_output_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_output_manager_v1_interface, std::min(version, kHeadManagerVersion)));
        zwlr_output_manager_v1_add_listener(reader->manager, &kManagerListener, reader);
    }
}

void GlobalRemove(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener = {Global, GlobalRemove};

// Reads the outputs with reader.display set; false with `error` set.
bool Read(Reader& reader, std::vector<Monitor>* monitors, std::string* error, const std::string& drm_dir) {
    reader.queue = wl_display_create_queue(reader.display);
    reader.wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(reader.display));
    if (!reader.queue || !reader.wrapper) {
        *error = "cannot make an event queue for the Wayland display";
        return false;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(reader.wrapper), reader.queue);
    reader.registry = wl_display_get_registry(reader.wrapper);
    wl_registry_add_listener(reader.registry, &kRegistryListener, &reader);
    // Globals, then what each bound object sends, then the heads' modes.
    for (int round = 0; round < 3; ++round) {
        if (wl_display_roundtrip_queue(reader.display, reader.queue) < 0) {
            *error = "the Wayland display went away";
            return false;
        }
    }

    for (auto& h : reader.heads) {
        for (auto& [mode, value] : h->modes) {
            if (mode == h->current && h->monitor.active) h->monitor.current = value;
        }
        // An output with a wl_output shows a picture, whatever the head says:
        // sway calls a head without a listed mode (headless, virtual) disabled.
        for (auto& o : reader.outputs) {
            if (o->monitor.name.empty() || o->monitor.name != h->monitor.name || !o->monitor.active) continue;
            h->monitor.active = true;
            h->monitor.current = o->monitor.current;
        }
    }
    // KDE's devices describe every output, on or off, with its EDID.
    std::vector<std::unique_ptr<Output>> devices;
    for (const kde::Device* device : reader.kde.Devices()) {
        auto o = std::make_unique<Output>();
        o->monitor.name = device->name;
        o->monitor.current = device->Mode();
        o->monitor.active = o->monitor.current.width > 0;
        o->monitor.x = device->x;
        o->monitor.y = device->y;
        o->monitor.make = device->make;
        o->monitor.model = device->model;
        o->monitor.serial = device->serial;
        devices.push_back(std::move(o));
    }
    auto& source = !reader.heads.empty() ? reader.heads : !devices.empty() ? devices : reader.outputs;
    // Left to right, top to bottom, outputs without a picture last: the first
    // is the one at the desktop's origin.
    std::stable_sort(source.begin(), source.end(), [](const auto& a, const auto& b) {
        const Monitor& l = a->monitor;
        const Monitor& r = b->monitor;
        if (l.active != r.active) return l.active;
        if (l.y != r.y) return l.y < r.y;
        if (l.x != r.x) return l.x < r.x;
        return l.name < r.name;
    });
    // KDE names the primary: the first of its output order.
    const std::vector<std::string>& order = reader.kde.Order();
    if (!order.empty()) {
        std::stable_partition(source.begin(), source.end(), [&](const auto& o) {
            return o->monitor.active && o->monitor.name == order.front();
        });
    }
    for (auto& o : source) {
        Monitor m = std::move(o->monitor);
        m.connector = ConnectorFromName(m.name);
        m.primary = monitors->empty() && m.active;
        // What the compositor reported stands unless an EDID replaces it.
        const Monitor reported = m;
        std::string why;
        const kde::Device* device = reader.kde.Find(m.name);
        const std::vector<std::uint8_t> bytes =
            device && !device->edid.empty() ? device->edid : ReadDrmEdid(m.name, &why, drm_dir);
        AttachEdid(m, bytes);
        if (!m.edid) {
            m.make = reported.make;
            m.model = reported.model;
            m.serial = reported.serial;
            if (bytes.empty()) m.edid_error = why;
        }
        monitors->push_back(std::move(m));
    }
    return true;
}

}  // namespace

bool ReadMonitors(const std::string& display_name, std::vector<Monitor>* monitors, std::string* error,
                  const std::string& drm_dir) {
    monitors->clear();
    Reader reader;
    reader.display = wl_display_connect(display_name.empty() ? nullptr : display_name.c_str());
    reader.own_display = true;
    if (!reader.display) {
        *error = "cannot connect to the Wayland display";
        return false;
    }
    return Read(reader, monitors, error, drm_dir);
}

bool ReadMonitors(wl_display* display, std::vector<Monitor>* monitors, std::string* error,
                  const std::string& drm_dir) {
    monitors->clear();
    if (!display) {
        *error = "cannot connect to the Wayland display";
        return false;
    }
    Reader reader;
    reader.display = display;
    return Read(reader, monitors, error, drm_dir);
}

}  // namespace screen::wayland
