#include "tests/wayland/kde_standin.h"

#include <kde-output-device-v2-server-protocol.h>
#include <kde-output-management-v2-server-protocol.h>
#include <kde-output-order-v1-server-protocol.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace wltest {
namespace {

std::string Base64(const std::vector<std::uint8_t>& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t chunk = (bytes[i] << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                                    (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        for (std::size_t k = 0; k < 4; ++k) {
            text += i + k <= bytes.size() ? kAlphabet[(chunk >> (18 - 6 * k)) & 63] : '=';
        }
    }
    return text;
}

std::string ModeText(const StandInMode& mode) {
    return std::to_string(mode.width) + "x" + std::to_string(mode.height) + "@" +
           std::to_string(mode.refresh_mhz);
}

}  // namespace

struct KdeStandIn::Server {
    struct ModeResource {
        wl_resource* resource;
        int output;
        int index;
    };
    struct Pending {
        std::vector<std::pair<int, int>> modes;  // output, mode index
        std::vector<std::pair<int, double>> scales;
    };

    std::mutex mutex;
    wl_display* display = nullptr;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::vector<StandInOutput> outputs;
    std::vector<wl_global*> device_globals;
    std::vector<std::unique_ptr<std::pair<Server*, int>>> slots;  // each device global's output
    std::vector<std::vector<wl_resource*>> devices;               // bound, per output
    std::vector<ModeResource> mode_resources;
    std::vector<std::string> requests;
    std::vector<std::string> order;
    Reply reply = Reply::kApplied;

    int OutputOf(wl_resource* device) const {
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (std::count(devices[i].begin(), devices[i].end(), device)) return static_cast<int>(i);
        }
        return -1;
    }

    wl_resource* ModeFor(wl_resource* device, int output, int index) const {
        for (const ModeResource& m : mode_resources) {
            if (m.output == output && m.index == index &&
                wl_resource_get_client(m.resource) == wl_resource_get_client(device)) {
                return m.resource;
            }
        }
        return nullptr;
    }

    void SendCurrent(int output) {
        for (wl_resource* device : devices[output]) {
            if (wl_resource* mode = ModeFor(device, output, outputs[output].current)) {
                kde_output_device_v2_send_current_mode(device, mode);
            }
            kde_output_device_v2_send_scale(device, wl_fixed_from_double(outputs[output].scale));
            kde_output_device_v2_send_done(device);
        }
    }

    // --- kde_output_device_v2 ---
    static void BindDevice(wl_client* client, void* data, std::uint32_t version, std::uint32_t id);

    // --- kde_output_configuration_v2 ---
    static Server& Of(wl_resource* config);
    static Pending& PendingOf(wl_resource* config);
    static void Enable(wl_client*, wl_resource* config, wl_resource* device, std::int32_t enable) {
        Server& s = Of(config);
        s.Record("enable " + s.NameOf(device) + " " + std::to_string(enable));
    }
    static void Mode(wl_client*, wl_resource* config, wl_resource* device, wl_resource* mode) {
        Server& s = Of(config);
        for (const ModeResource& m : s.mode_resources) {
            if (m.resource != mode) continue;
            s.Record("mode " + s.NameOf(device) + " " + ModeText(s.outputs[m.output].modes[m.index]));
            PendingOf(config).modes.emplace_back(m.output, m.index);
        }
    }
    static void Transform(wl_client*, wl_resource* config, wl_resource* device, std::int32_t transform) {
        Of(config).Record("transform " + Of(config).NameOf(device) + " " + std::to_string(transform));
    }
    static void Position(wl_client*, wl_resource* config, wl_resource* device, std::int32_t x,
                         std::int32_t y) {
        Of(config).Record("position " + Of(config).NameOf(device) + " " + std::to_string(x) + "," +
                          std::to_string(y));
    }
    static void Scale(wl_client*, wl_resource* config, wl_resource* device, wl_fixed_t scale) {
        Server& s = Of(config);
        char text[32];
        std::snprintf(text, sizeof text, "%g", wl_fixed_to_double(scale));
        s.Record("scale " + s.NameOf(device) + " " + text);
        const int output = s.OutputOf(device);
        if (output >= 0) PendingOf(config).scales.emplace_back(output, wl_fixed_to_double(scale));
    }
    static void Apply(wl_client*, wl_resource* config);
    static void Destroy(wl_client*, wl_resource* config) { wl_resource_destroy(config); }
    static void Uint(wl_client*, wl_resource* config, wl_resource* device, std::uint32_t) {
        Of(config).Record("other " + Of(config).NameOf(device));
    }
    static void Primary(wl_client*, wl_resource* config, wl_resource* device) {
        Of(config).Record("primary " + Of(config).NameOf(device));
    }

    std::string NameOf(wl_resource* device) const {
        const int output = OutputOf(device);
        return output >= 0 ? outputs[output].name : "?";
    }
    void Record(const std::string& line) { requests.push_back(line); }
};

namespace {

struct ConfigData {
    KdeStandIn::Server* server;
    KdeStandIn::Server::Pending pending;
};

}  // namespace

KdeStandIn::Server::Pending& KdeStandIn::Server::PendingOf(wl_resource* config) {
    return static_cast<ConfigData*>(wl_resource_get_user_data(config))->pending;
}

KdeStandIn::Server& KdeStandIn::Server::Of(wl_resource* config) {
    return *static_cast<ConfigData*>(wl_resource_get_user_data(config))->server;
}

void KdeStandIn::Server::Apply(wl_client*, wl_resource* config) {
    Server& s = Of(config);
    s.Record("apply");
    if (s.reply == Reply::kSilent) return;
    if (s.reply == Reply::kFailed) {
        kde_output_configuration_v2_send_failed(config);
        return;
    }
    const Pending& pending = PendingOf(config);
    std::vector<int> touched;
    for (const auto& [output, index] : pending.modes) {
        s.outputs[output].current = index;
        touched.push_back(output);
    }
    for (const auto& [output, scale] : pending.scales) {
        s.outputs[output].scale = scale;
        touched.push_back(output);
    }
    for (int output : touched) s.SendCurrent(output);
    kde_output_configuration_v2_send_applied(config);
}

void KdeStandIn::Server::BindDevice(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    auto* slot = static_cast<std::pair<Server*, int>*>(data);
    Server& s = *slot->first;
    const int output = slot->second;
    wl_resource* device =
        wl_resource_create(client, &kde_output_device_v2_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(device, nullptr, &s, [](wl_resource* r) {
        Server& server = *static_cast<Server*>(wl_resource_get_user_data(r));
        for (auto& list : server.devices) std::erase(list, r);
    });
    s.devices[output].push_back(device);
    const StandInOutput& o = s.outputs[output];
    kde_output_device_v2_send_geometry(device, o.x, o.y, 300, 200, 0, "Corvane", "Stand-in", 0);
    for (std::size_t i = 0; i < o.modes.size(); ++i) {
        wl_resource* mode = wl_resource_create(client, &kde_output_device_mode_v2_interface, 1, 0);
        wl_resource_set_implementation(mode, nullptr, &s, [](wl_resource* r) {
            Server& server = *static_cast<Server*>(wl_resource_get_user_data(r));
            std::erase_if(server.mode_resources, [&](const ModeResource& m) { return m.resource == r; });
        });
        s.mode_resources.push_back({mode, output, static_cast<int>(i)});
        kde_output_device_v2_send_mode(device, mode);
        kde_output_device_mode_v2_send_size(mode, o.modes[i].width, o.modes[i].height);
        kde_output_device_mode_v2_send_refresh(mode, o.modes[i].refresh_mhz);
        if (o.modes[i].preferred) kde_output_device_mode_v2_send_preferred(mode);
    }
    if (wl_resource* current = s.ModeFor(device, output, o.current)) {
        kde_output_device_v2_send_current_mode(device, current);
    }
    kde_output_device_v2_send_scale(device, wl_fixed_from_double(o.scale));
    kde_output_device_v2_send_edid(device, Base64(o.edid).c_str());
    kde_output_device_v2_send_enabled(device, o.enabled ? 1 : 0);
    if (version >= KDE_OUTPUT_DEVICE_V2_NAME_SINCE_VERSION)
        kde_output_device_v2_send_name(device, o.name.c_str());
    kde_output_device_v2_send_done(device);
}

namespace {

const struct kde_output_configuration_v2_interface kConfigImpl = {
    KdeStandIn::Server::Enable,   KdeStandIn::Server::Mode,    KdeStandIn::Server::Transform,
    KdeStandIn::Server::Position, KdeStandIn::Server::Scale,   KdeStandIn::Server::Apply,
    KdeStandIn::Server::Destroy,  KdeStandIn::Server::Uint,    KdeStandIn::Server::Uint,
    KdeStandIn::Server::Uint,     KdeStandIn::Server::Primary, KdeStandIn::Server::Uint};

void CreateConfiguration(wl_client* client, wl_resource* management, std::uint32_t id) {
    auto* server = static_cast<KdeStandIn::Server*>(wl_resource_get_user_data(management));
    wl_resource* config = wl_resource_create(client, &kde_output_configuration_v2_interface,
                                             wl_resource_get_version(management), id);
    wl_resource_set_implementation(config, &kConfigImpl, new ConfigData{server, {}}, [](wl_resource* r) {
        delete static_cast<ConfigData*>(wl_resource_get_user_data(r));
    });
}

const struct kde_output_management_v2_interface kManagementImpl = {CreateConfiguration};

void BindManagement(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    wl_resource* r =
        wl_resource_create(client, &kde_output_management_v2_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(r, &kManagementImpl, data, nullptr);
}

const struct kde_output_order_v1_interface kOrderImpl = {
    [](wl_client*, wl_resource* r) { wl_resource_destroy(r); }};

void BindOrder(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    auto* server = static_cast<KdeStandIn::Server*>(data);
    wl_resource* r =
        wl_resource_create(client, &kde_output_order_v1_interface, static_cast<int>(version), id);
    wl_resource_set_implementation(r, &kOrderImpl, data, nullptr);
    for (const std::string& name : server->order) kde_output_order_v1_send_output(r, name.c_str());
    kde_output_order_v1_send_done(r);
}

}  // namespace

std::unique_ptr<KdeStandIn> KdeStandIn::Start(const std::vector<StandInOutput>& outputs,
                                              const std::string& dir, std::string* error,
                                              const std::vector<std::string>& order) {
    std::unique_ptr<KdeStandIn> standin(new KdeStandIn);
    standin->server_ = std::make_unique<Server>();
    Server& s = *standin->server_;
    s.outputs = outputs;
    s.order = order;
    for (const StandInOutput& o : outputs) {
        if (order.empty() && o.enabled) s.order.push_back(o.name);
    }
    s.devices.resize(outputs.size());
    s.display = wl_display_create();
    standin->socket_path_ = dir + "/kde-standin";
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", standin->socket_path_.c_str());
    unlink(address.sun_path);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0 || wl_display_add_socket_fd(s.display, fd) != 0) {
        if (fd >= 0) close(fd);
        if (error) *error = "cannot serve on " + standin->socket_path_;
        wl_display_destroy(s.display);
        s.display = nullptr;
        return nullptr;
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        s.slots.push_back(std::make_unique<std::pair<Server*, int>>(&s, static_cast<int>(i)));
        s.device_globals.push_back(wl_global_create(s.display, &kde_output_device_v2_interface, 2,
                                                    s.slots.back().get(), Server::BindDevice));
    }
    wl_global_create(s.display, &kde_output_management_v2_interface, 3, &s, BindManagement);
    wl_global_create(s.display, &kde_output_order_v1_interface, 1, &s, BindOrder);
    s.thread = std::thread([&s] {
        wl_event_loop* loop = wl_display_get_event_loop(s.display);
        while (!s.stop) {
            pollfd fd{wl_event_loop_get_fd(loop), POLLIN, 0};
            poll(&fd, 1, 20);
            std::lock_guard lock(s.mutex);
            wl_event_loop_dispatch(loop, 0);
            wl_display_flush_clients(s.display);
        }
    });
    return standin;
}

KdeStandIn::~KdeStandIn() {
    Stop();
}

void KdeStandIn::Stop() {
    if (!server_ || !server_->display) return;
    server_->stop = true;
    server_->thread.join();
    wl_display_destroy_clients(server_->display);
    wl_display_destroy(server_->display);
    server_->display = nullptr;
    unlink(socket_path_.c_str());
}

void KdeStandIn::SetReply(Reply reply) {
    std::lock_guard lock(server_->mutex);
    server_->reply = reply;
}

std::vector<std::string> KdeStandIn::Requests() {
    std::lock_guard lock(server_->mutex);
    return server_->requests;
}

std::vector<StandInOutput> KdeStandIn::Outputs() {
    std::lock_guard lock(server_->mutex);
    return server_->outputs;
}

void KdeStandIn::SwitchElsewhere(const std::string& output, int index) {
    std::lock_guard lock(server_->mutex);
    for (std::size_t i = 0; i < server_->outputs.size(); ++i) {
        if (server_->outputs[i].name != output) continue;
        server_->outputs[i].current = index;
        server_->SendCurrent(static_cast<int>(i));
    }
    wl_display_flush_clients(server_->display);
}

}  // namespace wltest
