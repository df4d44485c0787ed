#include "platform/screen/wlr/wlr_driver.h"

#include <wayland-client.h>
#include <wlr-output-management-unstable-v1-client-protocol.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/screen/compositor_modes.h"
#include "platform/screen/devmode.h"
#include "platform/screen/wayland/output_tracker.h"
#include "platform/screen/wlr/wlr_modes.h"
#include "platform/wayland_connection.h"

namespace screen {
namespace {

// The protocol version this code speaks.
constexpr std::uint32_t kManagerVersion = 2;

struct Head;

struct Mode {
    zwlr_output_mode_v1* proxy = nullptr;
    Head* head = nullptr;
    CompositorMode info;
};

struct Head {
    zwlr_output_head_v1* proxy = nullptr;
    std::vector<std::unique_ptr<Head>>* owner = nullptr;  // the list this head lives in
    std::string name;
    bool enabled = false;
    std::vector<std::unique_ptr<Mode>> modes;
    Mode* current = nullptr;
    int x = 0;
    int y = 0;
    std::int32_t transform = 0;
    wl_fixed_t scale = wl_fixed_from_int(1);

    ~Head() {
        for (auto& mode : modes) zwlr_output_mode_v1_destroy(mode->proxy);
        if (proxy) zwlr_output_head_v1_destroy(proxy);
    }

    std::vector<CompositorMode> Reported() const {
        std::vector<CompositorMode> list;
        for (const auto& mode : modes) {
            CompositorMode info = mode->info;
            info.current = mode.get() == current;
            list.push_back(info);
        }
        return list;
    }
};

// A head as it really is. Some compositors (sway 1.7) report an on head
// without a mode list as off, with no current mode; its wl_output still
// tells the truth, and the configuration must keep it on.
struct HeadView {
    bool on = false;
    bool from_output = false;  // the head's own events lacked the state
    CompositorMode mode;
    int x = 0;
    int y = 0;
    std::int32_t transform = 0;
    wl_fixed_t scale = wl_fixed_from_int(1);
};

}  // namespace

struct WlrScreenDriver::Impl {
    WlrScreenDriver* owner;
    platform::WaylandConnection link;
    zwlr_output_manager_v1* manager = nullptr;
    std::vector<std::unique_ptr<Head>> heads;
    wayland::OutputTracker outputs;
    std::uint32_t serial = 0;
    bool got_done = false;
    bool manager_finished = false;
    bool check_mode = false;
    std::string head_name;
    DisplayMode last_known;

    enum class Outcome { kWaiting, kSucceeded, kFailed, kCancelled };
    Outcome outcome = Outcome::kWaiting;

    explicit Impl(WlrScreenDriver* driver) : owner(driver) {}
    ~Impl() { Close(); }

    void Close() {
        heads.clear();
        outputs.Clear();
        if (manager) zwlr_output_manager_v1_destroy(manager);
        manager = nullptr;
        link.Close();
    }

    Head* Target() const {
        for (const auto& head : heads) {
            if (head->name == head_name) return head.get();
        }
        return nullptr;
    }

    HeadView View(const Head& head) const {
        HeadView view;
        if (head.enabled && head.current) {
            view.on = true;
            view.mode = head.current->info;
            view.x = head.x;
            view.y = head.y;
            view.transform = head.transform;
            view.scale = head.scale;
        } else if (const wayland::OutputState* output = outputs.Find(head.name)) {
            view.on = true;
            view.from_output = true;
            view.mode = {output->width, output->height, output->refresh_mhz};
            view.x = output->logical_x;
            view.y = output->logical_y;
            view.transform = output->transform;
            view.scale = wl_fixed_from_double(output->Scale());
        }
        return view;
    }

    DisplayMode ModeOf(const Head& head) const {
        const HeadView view = View(head);
        if (!view.on) return {};
        return {view.mode.width, view.mode.height, RoundedHz(view.mode.refresh_mhz), kCompositorBpp};
    }

    bool Sync() { return link.Sync(owner->ReplyTimeoutMs()); }

    // Announces the head's mode if it differs from the last announcement.
    void AnnounceIfChanged() {
        if (!check_mode) return;
        check_mode = false;
        const Head* head = Target();
        if (!head) return;
        if (owner->Announce(ModeOf(*head))) last_known = owner->Announced();
    }

    int Configure(const DisplayMode& request, bool apply);

    // ---- listeners ----

    static void ModeSize(void* data, zwlr_output_mode_v1*, std::int32_t width, std::int32_t height) {
        auto* mode = static_cast<Mode*>(data);
        mode->info.width = width;
        mode->info.height = height;
    }
    static void ModeRefresh(void* data, zwlr_output_mode_v1*, std::int32_t refresh) {
        static_cast<Mode*>(data)->info.refresh_mhz = refresh;
    }
    static void ModePreferred(void* data, zwlr_output_mode_v1*) {
        static_cast<Mode*>(data)->info.preferred = true;
    }
    static void ModeFinished(void* data, zwlr_output_mode_v1*) {
        auto* mode = static_cast<Mode*>(data);
        Head* head = mode->head;
        if (head->current == mode) head->current = nullptr;
        zwlr_output_mode_v1_destroy(mode->proxy);
        std::erase_if(head->modes, [&](const auto& m) { return m.get() == mode; });
    }
    static constexpr zwlr_output_mode_v1_listener kModeListener = {ModeSize, ModeRefresh, ModePreferred,
                                                                   ModeFinished};

    static void HeadName(void* data, zwlr_output_head_v1*, const char* name) {
        static_cast<Head*>(data)->name = name ? name : "";
    }
    static void HeadDescription(void*, zwlr_output_head_v1*, const char*) {}
    static void HeadPhysicalSize(void*, zwlr_output_head_v1*, std::int32_t, std::int32_t) {}
    static void HeadMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy) {
        auto* head = static_cast<Head*>(data);
        auto mode = std::make_unique<Mode>();
        mode->proxy = proxy;
        mode->head = head;
        zwlr_output_mode_v1_add_listener(proxy, &kModeListener, mode.get());
        head->modes.push_back(std::move(mode));
    }
    static void HeadEnabled(void* data, zwlr_output_head_v1*, std::int32_t enabled) {
        auto* head = static_cast<Head*>(data);
        head->enabled = enabled != 0;
        if (!head->enabled) head->current = nullptr;
    }
    static void HeadCurrentMode(void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy) {
        auto* head = static_cast<Head*>(data);
        head->current = nullptr;
        for (const auto& mode : head->modes) {
            if (mode->proxy == proxy) head->current = mode.get();
        }
    }
    static void HeadPosition(void* data, zwlr_output_head_v1*, std::int32_t x, std::int32_t y) {
        static_cast<Head*>(data)->x = x;
        static_cast<Head*>(data)->y = y;
    }
    static void HeadTransform(void* data, zwlr_output_head_v1*, std::int32_t transform) {
        static_cast<Head*>(data)->transform = transform;
    }
    static void HeadScale(void* data, zwlr_output_head_v1*, wl_fixed_t scale) {
        static_cast<Head*>(data)->scale = scale;
    }
    static void HeadFinished(void* data, zwlr_output_head_v1*);
    static void HeadText(void*, zwlr_output_head_v1*, const char*) {}
    static constexpr zwlr_output_head_v1_listener kHeadListener = {
        HeadName,        HeadDescription, HeadPhysicalSize, HeadMode,  HeadEnabled,
        HeadCurrentMode, HeadPosition,    HeadTransform,    HeadScale, HeadFinished,
        HeadText,        HeadText,        HeadText};

    static void ManagerHead(void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* proxy) {
        auto* impl = static_cast<Impl*>(data);
        auto head = std::make_unique<Head>();
        head->proxy = proxy;
        head->owner = &impl->heads;
        zwlr_output_head_v1_add_listener(proxy, &kHeadListener, head.get());
        impl->heads.push_back(std::move(head));
    }
    static void ManagerDone(void* data, zwlr_output_manager_v1*, std::uint32_t serial) {
        auto* impl = static_cast<Impl*>(data);
        impl->serial = serial;
        impl->got_done = true;
        impl->check_mode = true;
        if (const Head* head = impl->Target()) {
            const DisplayMode now = impl->ModeOf(*head);
            if (now.width > 0) impl->last_known = now;
        }
    }
    static void ManagerFinished(void* data, zwlr_output_manager_v1*) {
        static_cast<Impl*>(data)->manager_finished = true;
    }
    static constexpr zwlr_output_manager_v1_listener kManagerListener = {ManagerHead, ManagerDone,
                                                                         ManagerFinished};

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* impl = static_cast<Impl*>(data);
        impl->outputs.OnGlobal(registry, name, interface, version);
        if (impl->manager || std::strcmp(interface, zwlr_output_manager_v1_interface.name) != 0) return;
        impl->manager = static_cast<zwlr_output_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_output_manager_v1_interface, std::min(version, kManagerVersion)));
        zwlr_output_manager_v1_add_listener(impl->manager, &kManagerListener, impl);
    }
    static void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
        static_cast<Impl*>(data)->outputs.OnGlobalRemove(name);
    }
    static constexpr wl_registry_listener kRegistryListener = {Global, GlobalRemove};

    static void ConfigSucceeded(void* data, zwlr_output_configuration_v1*) {
        static_cast<Impl*>(data)->outcome = Outcome::kSucceeded;
    }
    static void ConfigFailed(void* data, zwlr_output_configuration_v1*) {
        static_cast<Impl*>(data)->outcome = Outcome::kFailed;
    }
    static void ConfigCancelled(void* data, zwlr_output_configuration_v1*) {
        static_cast<Impl*>(data)->outcome = Outcome::kCancelled;
    }
    static constexpr zwlr_output_configuration_v1_listener kConfigListener = {ConfigSucceeded, ConfigFailed,
                                                                              ConfigCancelled};
};

// The head is gone (unplugged, or a virtual output removed): forget it.
void WlrScreenDriver::Impl::HeadFinished(void* data, zwlr_output_head_v1*) {
    auto* head = static_cast<Head*>(data);
    std::erase_if(*head->owner, [&](const auto& h) { return h.get() == head; });
}

// Builds one configuration holding every head as it is, with the target head
// in the requested mode, and asks the compositor to test or apply it.
int WlrScreenDriver::Impl::Configure(const DisplayMode& request, bool apply) {
    if (!link.up()) return owner->Fail(DISP_CHANGE_FAILED, "the compositor went away");
    if (!manager || manager_finished)
        return owner->Fail(DISP_CHANGE_FAILED, "the compositor stopped its output management");
    // Catch up first, so the configuration names the latest serial and heads.
    if (!Sync()) return owner->Fail(DISP_CHANGE_FAILED, "the compositor does not answer");
    Head* target = Target();
    if (!target || !View(*target).on)
        return owner->Fail(DISP_CHANGE_FAILED, "the output " + head_name + " is not on");

    const std::vector<CompositorMode> reported = target->Reported();
    std::vector<std::size_t> index;
    const std::vector<CompositorMode> offered = wlr::OfferedModes(reported, &index);
    const ModeChoice choice = ChooseMode(offered, request);
    if (choice.kind == ModeChoice::kBadMode)
        return owner->Fail(DISP_CHANGE_BADMODE, "the output " + head_name + " offers no such mode");

    zwlr_output_configuration_v1* config = zwlr_output_manager_v1_create_configuration(manager, serial);
    outcome = Outcome::kWaiting;
    zwlr_output_configuration_v1_add_listener(config, &kConfigListener, this);
    std::vector<zwlr_output_configuration_head_v1*> config_heads;
    for (const auto& head : heads) {
        const HeadView view = View(*head);
        if (!view.on) {
            zwlr_output_configuration_v1_disable_head(config, head->proxy);
            continue;
        }
        zwlr_output_configuration_head_v1* config_head =
            zwlr_output_configuration_v1_enable_head(config, head->proxy);
        config_heads.push_back(config_head);
        if (head.get() == target && choice.kind == ModeChoice::kListed) {
            zwlr_output_configuration_head_v1_set_mode(config_head,
                                                       target->modes[index[choice.index]]->proxy);
        } else if (head.get() == target) {
            zwlr_output_configuration_head_v1_set_custom_mode(config_head, request.width, request.height,
                                                              choice.refresh_mhz);
        } else if (head->current && !view.from_output) {
            zwlr_output_configuration_head_v1_set_mode(config_head, head->current->proxy);
        } else {
            zwlr_output_configuration_head_v1_set_custom_mode(config_head, view.mode.width, view.mode.height,
                                                              view.mode.refresh_mhz);
        }
        zwlr_output_configuration_head_v1_set_position(config_head, view.x, view.y);
        zwlr_output_configuration_head_v1_set_transform(config_head, view.transform);
        zwlr_output_configuration_head_v1_set_scale(config_head, view.scale);
    }
    if (apply) {
        zwlr_output_configuration_v1_apply(config);
    } else {
        zwlr_output_configuration_v1_test(config);
    }
    link.DispatchUntil([&] { return outcome != Outcome::kWaiting; }, owner->ReplyTimeoutMs());
    for (auto* config_head : config_heads) zwlr_output_configuration_head_v1_destroy(config_head);
    zwlr_output_configuration_v1_destroy(config);
    link.Flush();

    if (outcome != Outcome::kSucceeded) {
        return owner->Fail(DISP_CHANGE_FAILED, outcome == Outcome::kFailed ? "the compositor refused the mode"
                                               : outcome == Outcome::kCancelled
                                                   ? "the outputs changed meanwhile"
                                                   : "the compositor does not answer");
    }
    // The new state follows the answer; read it before reporting success.
    if (apply) Sync();
    return DISP_CHANGE_SUCCESSFUL;
}

WlrScreenDriver::WlrScreenDriver() : impl_(std::make_unique<Impl>(this)) {}

WlrScreenDriver::~WlrScreenDriver() = default;

bool WlrScreenDriver::Open(const std::string& display_name, const std::string& head_name,
                           std::string* error) {
    Impl& d = BeginOpen(impl_, this);
    const auto fail = [&](std::string why) { return FailOpen(impl_, this, std::move(why), error); };
    d.outputs.SetChangedCallback([&d] { d.check_mode = true; });
    std::string why;
    if (!d.link.Connect(display_name, &Impl::kRegistryListener, &d, ReplyTimeoutMs(), &why)) return fail(why);
    if (!d.manager)
        return fail("the compositor does not offer wlr-output-management (zwlr_output_manager_v1)");
    // The heads, then (one more round) the outputs' modes.
    if (!d.link.DispatchUntil([&] { return d.got_done; }, ReplyTimeoutMs()) || !d.Sync()) {
        return fail("the compositor did not list its outputs");
    }
    if (!head_name.empty()) {
        d.head_name = head_name;
        if (!d.Target()) return fail("the compositor has no output named " + head_name);
    } else {
        for (const auto& head : d.heads) {
            if (d.View(*head).on && !head->name.empty()) {
                d.head_name = head->name;
                break;
            }
        }
        if (d.head_name.empty()) return fail("the compositor has no enabled output");
    }
    d.last_known = d.ModeOf(*d.Target());
    TakeAsAnnounced(d.last_known);
    d.check_mode = false;
    return true;
}

bool WlrScreenDriver::Offered(const std::string& display_name) {
    // The same bounded round trip as Open: a compositor that hangs must not
    // hang the program's start.
    WlrScreenDriver driver;
    Impl& probe = *driver.impl_;
    return probe.link.Connect(display_name, &Impl::kRegistryListener, &probe, driver.ReplyTimeoutMs(),
                              nullptr) &&
           probe.manager != nullptr;
}

const std::string& WlrScreenDriver::HeadName() const {
    return impl_->head_name;
}

void WlrScreenDriver::ActOn(const std::string& output) {
    Impl& d = *impl_;
    if (output.empty() || output == d.head_name) return;
    d.head_name = output;
    if (const Head* head = d.Target()) {
        const DisplayMode now = d.ModeOf(*head);
        if (now.width > 0) d.last_known = now;
    }
    TakeAsAnnounced(d.last_known);
}

DisplayMode WlrScreenDriver::Current() const {
    if (const Head* head = impl_->Target()) {
        const DisplayMode now = impl_->ModeOf(*head);
        if (now.width > 0) return now;
    }
    return impl_->last_known;
}

int WlrScreenDriver::TestMode(const DisplayMode& mode) {
    const int result = impl_->Configure(mode, false);
    ReportGoneOnce(impl_->link.gone());
    return result;
}

int WlrScreenDriver::SetMode(const DisplayMode& mode) {
    const int result = impl_->Configure(mode, true);
    impl_->AnnounceIfChanged();
    ReportGoneOnce(impl_->link.gone());
    return result;
}

int WlrScreenDriver::ConnectionFd() const {
    return impl_->link.Fd();
}

void WlrScreenDriver::ProcessPendingEvents() {
    Impl& d = *impl_;
    d.link.DispatchWaiting();
    d.AnnounceIfChanged();
    ReportGoneOnce(d.link.gone());
}

bool WlrScreenDriver::ServerGone() const {
    return impl_->link.gone();
}

}  // namespace screen
