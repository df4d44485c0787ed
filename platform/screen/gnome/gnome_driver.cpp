#include "platform/screen/gnome/gnome_driver.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/screen/compositor_modes.h"
#include "platform/screen/devmode.h"
#include "platform/screen/gnome/mutter_state.h"

namespace screen {
namespace {

constexpr const char* kService = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kPath = "/org/gnome/Mutter/DisplayConfig";
constexpr const char* kInterface = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kStateSignature = "ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}";
constexpr std::uint32_t kMethodVerify = 0;
constexpr std::uint32_t kMethodPersistent = 2;

struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~BusError() { sd_bus_error_free(&error); }
};

struct Message {
    sd_bus_message* m = nullptr;
    ~Message() { sd_bus_message_unref(m); }
};

std::string Describe(int r, const sd_bus_error& error) {
    if (sd_bus_error_is_set(&error)) {
        return std::string(error.name) + (error.message ? std::string(": ") + error.message : "");
    }
    return std::strerror(-r);
}

// Reads a{sv} and keeps the booleans and unsigned numbers it knows.
int ReadProperties(sd_bus_message* m, bool* is_current, bool* is_preferred,
                   std::optional<std::uint32_t>* layout_mode, bool* changeable = nullptr) {
    int r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "{sv}");
    if (r < 0) return r;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_DICT_ENTRY, "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read(m, "s", &key)) < 0) return r;
        const bool flag_key = (is_current && std::strcmp(key, "is-current") == 0) ||
                              (is_preferred && std::strcmp(key, "is-preferred") == 0);
        if (flag_key && sd_bus_message_verify_type(m, 'v', "b") > 0) {
            int value = 0;
            if ((r = sd_bus_message_read(m, "v", "b", &value)) < 0) return r;
            *(std::strcmp(key, "is-current") == 0 ? is_current : is_preferred) = value != 0;
        } else if (layout_mode && std::strcmp(key, "layout-mode") == 0 &&
                   sd_bus_message_verify_type(m, 'v', "u") > 0) {
            std::uint32_t value = 0;
            if ((r = sd_bus_message_read(m, "v", "u", &value)) < 0) return r;
            *layout_mode = value;
        } else if (changeable && std::strcmp(key, "supports-changing-layout-mode") == 0 &&
                   sd_bus_message_verify_type(m, 'v', "b") > 0) {
            int value = 0;
            if ((r = sd_bus_message_read(m, "v", "b", &value)) < 0) return r;
            *changeable = value != 0;
        } else if ((r = sd_bus_message_skip(m, "v")) < 0) {
            return r;
        }
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(m);
}

int ReadMode(sd_bus_message* m, gnome::MutterMode* mode) {
    const char* id = nullptr;
    double preferred_scale = 0;
    int r =
        sd_bus_message_read(m, "siidd", &id, &mode->width, &mode->height, &mode->refresh, &preferred_scale);
    if (r < 0) return r;
    mode->id = id;
    const void* scales = nullptr;
    std::size_t size = 0;
    if ((r = sd_bus_message_read_array(m, 'd', &scales, &size)) < 0) return r;
    const auto* values = static_cast<const double*>(scales);
    mode->scales.assign(values, values + size / sizeof(double));
    return ReadProperties(m, &mode->current, &mode->preferred, nullptr);
}

int ReadMonitor(sd_bus_message* m, gnome::MutterMonitor* monitor) {
    const char *connector = nullptr, *vendor = nullptr, *product = nullptr, *serial = nullptr;
    int r = sd_bus_message_read(m, "(ssss)", &connector, &vendor, &product, &serial);
    if (r < 0) return r;
    monitor->connector = connector;
    monitor->vendor = vendor;
    monitor->product = product;
    monitor->serial = serial;
    if ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(siiddada{sv})")) < 0) return r;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "siiddada{sv}")) > 0) {
        gnome::MutterMode mode;
        if ((r = ReadMode(m, &mode)) < 0) return r;
        monitor->modes.push_back(std::move(mode));
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
    }
    if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) return r;
    return sd_bus_message_skip(m, "a{sv}");
}

int ReadLogicalMonitor(sd_bus_message* m, gnome::MutterLogicalMonitor* logical) {
    int primary = 0;
    int r = sd_bus_message_read(m, "iidub", &logical->x, &logical->y, &logical->scale, &logical->transform,
                                &primary);
    if (r < 0) return r;
    logical->primary = primary != 0;
    if ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(ssss)")) < 0) return r;
    const char *connector = nullptr, *vendor = nullptr, *product = nullptr, *serial = nullptr;
    while ((r = sd_bus_message_read(m, "(ssss)", &connector, &vendor, &product, &serial)) > 0) {
        logical->connectors.emplace_back(connector);
    }
    if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) return r;
    return sd_bus_message_skip(m, "a{sv}");
}

int ReadState(sd_bus_message* m, gnome::MutterState* state) {
    int r = sd_bus_message_read(m, "u", &state->serial);
    if (r < 0) return r;
    if ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "((ssss)a(siiddada{sv})a{sv})")) < 0)
        return r;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "(ssss)a(siiddada{sv})a{sv}")) > 0) {
        gnome::MutterMonitor monitor;
        if ((r = ReadMonitor(m, &monitor)) < 0) return r;
        state->monitors.push_back(std::move(monitor));
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
    }
    if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) return r;
    if ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_ARRAY, "(iiduba(ssss)a{sv})")) < 0) return r;
    while ((r = sd_bus_message_enter_container(m, SD_BUS_TYPE_STRUCT, "iiduba(ssss)a{sv}")) > 0) {
        gnome::MutterLogicalMonitor logical;
        if ((r = ReadLogicalMonitor(m, &logical)) < 0) return r;
        state->logical_monitors.push_back(std::move(logical));
        if ((r = sd_bus_message_exit_container(m)) < 0) return r;
    }
    if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) return r;
    return ReadProperties(m, nullptr, nullptr, &state->layout_mode, &state->layout_mode_changeable);
}

int AppendLayout(sd_bus_message* m, const std::vector<gnome::LogicalMonitorConfig>& layout) {
    int r = sd_bus_message_open_container(m, SD_BUS_TYPE_ARRAY, "(iiduba(ssa{sv}))");
    if (r < 0) return r;
    for (const auto& logical : layout) {
        if ((r = sd_bus_message_open_container(m, SD_BUS_TYPE_STRUCT, "iiduba(ssa{sv})")) < 0) return r;
        if ((r = sd_bus_message_append(m, "iidub", logical.x, logical.y, logical.scale, logical.transform,
                                       static_cast<int>(logical.primary))) < 0)
            return r;
        if ((r = sd_bus_message_open_container(m, SD_BUS_TYPE_ARRAY, "(ssa{sv})")) < 0) return r;
        for (const auto& [connector, mode_id] : logical.monitors) {
            if ((r = sd_bus_message_append(m, "(ssa{sv})", connector.c_str(), mode_id.c_str(), 0)) < 0)
                return r;
        }
        if ((r = sd_bus_message_close_container(m)) < 0) return r;
        if ((r = sd_bus_message_close_container(m)) < 0) return r;
    }
    return sd_bus_message_close_container(m);
}

DisplayMode ModeOf(const gnome::MutterMonitor* monitor) {
    const gnome::MutterMode* mode = monitor ? monitor->Current() : nullptr;
    if (!mode) return {};
    const auto modes = gnome::CompositorModes(*monitor);
    for (std::size_t i = 0; i < monitor->modes.size(); ++i) {
        if (&monitor->modes[i] == mode)
            return {mode->width, mode->height, RoundedHz(modes[i].refresh_mhz), kCompositorBpp};
    }
    return {};
}

}  // namespace

struct GnomeScreenDriver::Impl {
    GnomeScreenDriver* owner;
    sd_bus* bus = nullptr;
    sd_bus_slot* changed_slot = nullptr;
    gnome::MutterState state;
    std::string connector;
    DisplayMode last_known;
    bool reread = false;
    bool gone = false;

    explicit Impl(GnomeScreenDriver* driver) : owner(driver) {}
    ~Impl() { Close(); }

    void Close() {
        changed_slot = sd_bus_slot_unref(changed_slot);
        if (bus) sd_bus_flush_close_unref(bus);
        bus = nullptr;
    }

    // Every call waits for the service as long as the driver's time-out.
    void SetTimeout() {
        if (bus)
            sd_bus_set_method_call_timeout(bus, static_cast<std::uint64_t>(owner->ReplyTimeoutMs()) * 1000);
    }

    bool Failed(std::string why) {
        owner->Fail(DISP_CHANGE_FAILED, std::move(why));
        return false;
    }

    // Failures of the connection itself (not of a call) mean the bus is gone.
    void NoteFailure(int r) {
        if (r == -ECONNRESET || r == -ENOTCONN || r == -EPIPE || r == -ESHUTDOWN ||
            (bus && sd_bus_is_open(bus) <= 0)) {
            gone = true;
        }
    }

    // Reads the layout; false (state kept) with last_error set otherwise.
    bool Read() {
        if (!bus || gone) return Failed("the display service went away");
        SetTimeout();
        BusError error;
        Message reply;
        int r = sd_bus_call_method(bus, kService, kPath, kInterface, "GetCurrentState", &error.error,
                                   &reply.m, "");
        if (r < 0) {
            NoteFailure(r);
            return Failed("GetCurrentState failed: " + Describe(r, error.error));
        }
        if (!sd_bus_message_has_signature(reply.m, kStateSignature)) {
            const char* got = sd_bus_message_get_signature(reply.m, 1);
            return Failed(std::string("GetCurrentState answered with signature \"") + (got ? got : "") +
                          "\", expected \"" + kStateSignature + "\"");
        }
        gnome::MutterState fresh;
        if ((r = ReadState(reply.m, &fresh)) < 0)
            return Failed(std::string("GetCurrentState answer unreadable: ") + std::strerror(-r));
        state = std::move(fresh);
        const DisplayMode now = ModeOf(state.Find(connector));
        if (now.width > 0) last_known = now;
        return true;
    }

    void AnnounceIfChanged() { owner->Announce(ModeOf(state.Find(connector))); }

    void WaitForChange() {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(owner->ReplyTimeoutMs());
        while (bus && !gone && !reread) {
            const int r = sd_bus_process(bus, nullptr);
            if (r < 0) {
                gone = true;
                break;
            }
            if (r > 0) continue;
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            sd_bus_wait(bus, static_cast<std::uint64_t>(left.count()));
        }
    }

    static int OnMonitorsChanged(sd_bus_message*, void* data, sd_bus_error*) {
        static_cast<Impl*>(data)->reread = true;
        return 0;
    }

    int Configure(const DisplayMode& request, std::uint32_t method) {
        if (!bus || gone) return owner->Fail(DISP_CHANGE_FAILED, "the display service went away");
        // The layout must be current: the service refuses an outdated serial.
        if (!Read()) return DISP_CHANGE_FAILED;
        const gnome::MutterMonitor* monitor = state.Find(connector);
        if (!monitor || !monitor->Current())
            return owner->Fail(DISP_CHANGE_FAILED, "monitor " + connector + " is not in use");
        const auto modes = gnome::CompositorModes(*monitor);
        const ModeChoice choice = ChooseMode(modes, request);
        if (choice.kind != ModeChoice::kListed)
            return owner->Fail(DISP_CHANGE_BADMODE, "monitor " + connector + " lists no such mode");
        const auto layout = gnome::LayoutWithMode(state, connector, monitor->modes[choice.index].id);
        if (!layout) return owner->Fail(DISP_CHANGE_FAILED, "the current layout cannot be rebuilt");

        Message call;
        int r =
            sd_bus_message_new_method_call(bus, &call.m, kService, kPath, kInterface, "ApplyMonitorsConfig");
        if (r >= 0) r = sd_bus_message_append(call.m, "uu", state.serial, method);
        if (r >= 0) r = AppendLayout(call.m, *layout);
        if (r >= 0) r = sd_bus_message_open_container(call.m, SD_BUS_TYPE_ARRAY, "{sv}");
        // The layout mode may only be named where it may change; else the
        // service keeps its own.
        if (r >= 0 && state.layout_mode && state.layout_mode_changeable) {
            r = sd_bus_message_append(call.m, "{sv}", "layout-mode", "u", *state.layout_mode);
        }
        if (r >= 0) r = sd_bus_message_close_container(call.m);
        if (r < 0)
            return owner->Fail(DISP_CHANGE_FAILED,
                               std::string("cannot build ApplyMonitorsConfig: ") + std::strerror(-r));
        BusError error;
        Message reply;
        r = sd_bus_call(bus, call.m, 0, &error.error, &reply.m);
        if (r < 0) {
            NoteFailure(r);
            return owner->Fail(DISP_CHANGE_FAILED, "ApplyMonitorsConfig failed: " + Describe(r, error.error));
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
};

GnomeScreenDriver::GnomeScreenDriver() : impl_(std::make_unique<Impl>(this)) {}

GnomeScreenDriver::~GnomeScreenDriver() = default;

namespace {

// A connection of our own to the bus at `address`, or the session bus.
int Connect(const std::string& address, sd_bus** bus) {
    std::string where = address;
    if (where.empty()) {
        const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (!env || !*env) return -ENOENT;
        where = env;
    }
    int r = sd_bus_new(bus);
    if (r < 0) return r;
    if ((r = sd_bus_set_address(*bus, where.c_str())) >= 0 && (r = sd_bus_set_bus_client(*bus, 1)) >= 0) {
        r = sd_bus_start(*bus);
    }
    if (r < 0) *bus = sd_bus_unref(*bus);
    return r;
}

}  // namespace

bool GnomeScreenDriver::Open(const std::string& bus_address, const std::string& connector,
                             std::string* error) {
    Impl& d = BeginOpen(impl_, this);
    const auto fail = [&](std::string why) { return FailOpen(impl_, this, std::move(why), error); };
    int r = Connect(bus_address, &d.bus);
    if (r < 0) return fail(std::string("cannot connect to the session bus: ") + std::strerror(-r));
    r = sd_bus_match_signal(d.bus, &d.changed_slot, nullptr, kPath, kInterface, "MonitorsChanged",
                            &Impl::OnMonitorsChanged, &d);
    if (r < 0) return fail(std::string("cannot follow MonitorsChanged: ") + std::strerror(-r));
    if (!d.Read()) return fail(LastError());
    const gnome::MutterMonitor* target = d.state.Target(connector);
    if (!target) {
        return fail(connector.empty() ? "GNOME lists no monitor in use"
                                      : "GNOME has no monitor named " + connector);
    }
    d.connector = target->connector;
    d.last_known = ModeOf(target);
    TakeAsAnnounced(d.last_known);
    return true;
}

bool GnomeScreenDriver::Offered(const std::string& bus_address) {
    sd_bus* bus = nullptr;
    if (Connect(bus_address, &bus) < 0) return false;
    sd_bus_set_method_call_timeout(bus, static_cast<std::uint64_t>(kDefaultReplyTimeoutMs) * 1000);
    BusError error;
    Message reply;
    int has_owner = 0;
    const int r =
        sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error.error, &reply.m, "s", kService);
    if (r >= 0 && sd_bus_message_read(reply.m, "b", &has_owner) < 0) has_owner = 0;
    sd_bus_flush_close_unref(bus);
    return r >= 0 && has_owner;
}

const std::string& GnomeScreenDriver::Connector() const {
    return impl_->connector;
}

const gnome::MutterState& GnomeScreenDriver::State() const {
    return impl_->state;
}

void GnomeScreenDriver::ActOn(const std::string& output) {
    Impl& d = *impl_;
    if (output.empty() || output == d.connector) return;
    d.connector = output;
    const DisplayMode now = ModeOf(d.state.Find(output));
    if (now.width > 0) d.last_known = now;
    TakeAsAnnounced(d.last_known);
}

DisplayMode GnomeScreenDriver::Current() const {
    const DisplayMode now = ModeOf(impl_->state.Find(impl_->connector));
    return now.width > 0 ? now : impl_->last_known;
}

int GnomeScreenDriver::TestMode(const DisplayMode& mode) {
    const int result = impl_->Configure(mode, kMethodVerify);
    ReportGoneOnce(impl_->gone);
    return result;
}

int GnomeScreenDriver::SetMode(const DisplayMode& mode) {
    impl_->reread = false;
    const int result = impl_->Configure(mode, kMethodPersistent);
    // The service answers before the new layout is in place, which it then
    // announces with MonitorsChanged; wait for that, within the time-out.
    if (result == DISP_CHANGE_SUCCESSFUL) impl_->WaitForChange();
    if (result == DISP_CHANGE_SUCCESSFUL && impl_->Read()) impl_->AnnounceIfChanged();
    impl_->reread = false;
    ReportGoneOnce(impl_->gone);
    return result;
}

int GnomeScreenDriver::ConnectionFd() const {
    return impl_->bus ? sd_bus_get_fd(impl_->bus) : -1;
}

bool GnomeScreenDriver::WantsWrite() const {
    return impl_->bus && (sd_bus_get_events(impl_->bus) & POLLOUT) != 0;
}

void GnomeScreenDriver::ProcessPendingEvents() {
    Impl& d = *impl_;
    // Bounded, so a flood of messages cannot keep the event loop here.
    for (int round = 0; d.bus && !d.gone && round < 64; ++round) {
        const int r = sd_bus_process(d.bus, nullptr);
        if (r < 0) {
            d.gone = true;
            break;
        }
        if (r == 0) break;
    }
    if (d.bus && !d.gone && sd_bus_is_open(d.bus) <= 0) d.gone = true;
    if (d.reread && !d.gone) {
        d.reread = false;
        if (d.Read()) d.AnnounceIfChanged();
    }
    ReportGoneOnce(d.gone);
}

bool GnomeScreenDriver::ServerGone() const {
    return impl_->gone;
}

}  // namespace screen
