#include "platform/screen/kde/kde_driver.h"

#include <kde-output-device-v2-client-protocol.h>
#include <kde-output-management-v2-client-protocol.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/screen/compositor_modes.h"
#include "platform/screen/devmode.h"
#include "platform/screen/kde/kde_outputs.h"
#include "platform/wayland_connection.h"

namespace screen {
namespace {

constexpr std::uint32_t kManagementVersion = 1;  // configurations with mode, apply, applied, failed

}  // namespace

struct KdeScreenDriver::Impl {
    KdeScreenDriver* owner;
    platform::WaylandConnection link;
    kde_output_management_v2* management = nullptr;
    kde::Outputs outputs;
    bool check_mode = false;
    std::string output_name;
    DisplayMode last_known;

    enum class Outcome { kWaiting, kApplied, kFailed };
    Outcome outcome = Outcome::kWaiting;

    explicit Impl(KdeScreenDriver* driver) : owner(driver) {}
    ~Impl() { Close(); }

    void Close() {
        outputs.Clear();
        if (management) kde_output_management_v2_destroy(management);
        management = nullptr;
        link.Close();
    }

    const kde::Device* Target() const { return outputs.Find(output_name); }

    bool Sync() { return link.Sync(owner->ReplyTimeoutMs()); }

    // Announces the output's mode if it differs from the last announcement.
    void AnnounceIfChanged() {
        if (!check_mode) return;
        check_mode = false;
        const kde::Device* device = Target();
        if (!device) return;
        const DisplayMode now = device->Mode();
        if (now.width <= 0) return;
        last_known = now;
        owner->Announce(now);
    }

    // The listed mode the request names, or null with `code` set.
    const kde::DeviceMode* Choose(const DisplayMode& request, int* code) const {
        const kde::Device* device = Target();
        if (!link.up()) {
            *code = owner->Fail(DISP_CHANGE_FAILED, "the compositor went away");
            return nullptr;
        }
        if (!device || !device->enabled) {
            *code = owner->Fail(DISP_CHANGE_FAILED, "the output " + output_name + " is off or gone");
            return nullptr;
        }
        const std::vector<CompositorMode> modes = device->Modes();
        const ModeChoice choice = ChooseMode(modes, request);
        // Only listed modes can be asked for: the protocol has no custom ones.
        if (choice.kind != ModeChoice::kListed) {
            *code =
                owner->Fail(DISP_CHANGE_BADMODE, "the output " + output_name + " does not list that mode");
            return nullptr;
        }
        *code = DISP_CHANGE_SUCCESSFUL;
        return device->modes[choice.index].get();
    }

    int Apply(const DisplayMode& request);

    static void Applied(void* data, kde_output_configuration_v2*) {
        static_cast<Impl*>(data)->outcome = Outcome::kApplied;
    }
    static void Failed(void* data, kde_output_configuration_v2*) {
        static_cast<Impl*>(data)->outcome = Outcome::kFailed;
    }
    static constexpr kde_output_configuration_v2_listener kConfigListener = {Applied, Failed};

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* impl = static_cast<Impl*>(data);
        impl->outputs.OnGlobal(registry, name, interface, version);
        if (impl->management || std::strcmp(interface, kde_output_management_v2_interface.name) != 0) return;
        impl->management = static_cast<kde_output_management_v2*>(wl_registry_bind(
            registry, name, &kde_output_management_v2_interface, std::min(version, kManagementVersion)));
    }
    static void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
        static_cast<Impl*>(data)->outputs.OnGlobalRemove(name);
    }
    static constexpr wl_registry_listener kRegistryListener = {Global, GlobalRemove};
};

// One configuration with the target's listed mode and nothing else, applied;
// the answer is awaited for a bounded time.
int KdeScreenDriver::Impl::Apply(const DisplayMode& request) {
    if (!link.up() || !management) return owner->Fail(DISP_CHANGE_FAILED, "the compositor went away");
    // Catch up first, so the mode asked for is one the compositor still lists.
    if (!Sync()) return owner->Fail(DISP_CHANGE_FAILED, "the compositor does not answer");
    int code = DISP_CHANGE_FAILED;
    const kde::DeviceMode* mode = Choose(request, &code);
    if (!mode) return code;

    kde_output_configuration_v2* config = kde_output_management_v2_create_configuration(management);
    outcome = Outcome::kWaiting;
    kde_output_configuration_v2_add_listener(config, &kConfigListener, this);
    kde_output_configuration_v2_mode(config, Target()->proxy, mode->proxy);
    kde_output_configuration_v2_apply(config);
    link.DispatchUntil([&] { return outcome != Outcome::kWaiting; }, owner->ReplyTimeoutMs());
    kde_output_configuration_v2_destroy(config);
    link.Flush();

    if (outcome == Outcome::kFailed)
        return owner->Fail(DISP_CHANGE_FAILED, "the compositor refused the mode");
    if (outcome != Outcome::kApplied)
        return owner->Fail(DISP_CHANGE_FAILED, "the compositor did not answer in time");
    // The new state follows the answer; read it before reporting success.
    Sync();
    return DISP_CHANGE_SUCCESSFUL;
}

KdeScreenDriver::KdeScreenDriver() : impl_(std::make_unique<Impl>(this)) {}

KdeScreenDriver::~KdeScreenDriver() = default;

bool KdeScreenDriver::Open(const std::string& display_name, const std::string& output, std::string* error) {
    Impl& d = BeginOpen(impl_, this);
    const auto fail = [&](std::string why) { return FailOpen(impl_, this, std::move(why), error); };
    d.outputs.SetChangedCallback([&d] { d.check_mode = true; });
    std::string why;
    if (!d.link.Connect(display_name, &Impl::kRegistryListener, &d, ReplyTimeoutMs(), &why)) return fail(why);
    if (!d.management || !d.outputs.Offered()) {
        return fail("the compositor does not offer KDE output management (kde_output_management_v2)");
    }
    // Each device, then its modes' own events, complete with a done.
    if (!d.link.DispatchUntil([&] { return d.outputs.AllDescribed(); }, ReplyTimeoutMs()) || !d.Sync()) {
        return fail("the compositor did not describe its outputs");
    }
    if (!output.empty()) {
        d.output_name = output;
        if (!d.Target()) return fail("the compositor has no output named " + output);
    } else {
        for (const std::string& name : d.outputs.Order()) {
            const kde::Device* device = d.outputs.Find(name);
            if (device && device->enabled) {
                d.output_name = name;
                break;
            }
        }
        for (const kde::Device* device : d.outputs.Devices()) {
            if (d.output_name.empty() && device->enabled && !device->name.empty())
                d.output_name = device->name;
        }
        if (d.output_name.empty()) return fail("the compositor has no enabled output");
    }
    d.last_known = d.Target()->Mode();
    TakeAsAnnounced(d.last_known);
    d.check_mode = false;
    return true;
}

const std::string& KdeScreenDriver::OutputName() const {
    return impl_->output_name;
}

void KdeScreenDriver::ActOn(const std::string& output) {
    Impl& d = *impl_;
    if (output.empty() || output == d.output_name) return;
    d.output_name = output;
    if (const kde::Device* device = d.Target()) {
        const DisplayMode now = device->Mode();
        if (now.width > 0) d.last_known = now;
    }
    TakeAsAnnounced(d.last_known);
}

DisplayMode KdeScreenDriver::Current() const {
    if (const kde::Device* device = impl_->Target()) {
        const DisplayMode now = device->Mode();
        if (now.width > 0) return now;
    }
    return impl_->last_known;
}

int KdeScreenDriver::TestMode(const DisplayMode& mode) {
    int code = DISP_CHANGE_FAILED;
    impl_->Choose(mode, &code);
    ReportGoneOnce(impl_->link.gone());
    return code;
}

int KdeScreenDriver::SetMode(const DisplayMode& mode) {
    const int result = impl_->Apply(mode);
    impl_->AnnounceIfChanged();
    ReportGoneOnce(impl_->link.gone());
    return result;
}

int KdeScreenDriver::ConnectionFd() const {
    return impl_->link.Fd();
}

void KdeScreenDriver::ProcessPendingEvents() {
    Impl& d = *impl_;
    d.link.DispatchWaiting();
    d.AnnounceIfChanged();
    ReportGoneOnce(d.link.gone());
}

bool KdeScreenDriver::ServerGone() const {
    return impl_->link.gone();
}

}  // namespace screen
