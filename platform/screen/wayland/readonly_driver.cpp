#include "platform/screen/wayland/readonly_driver.h"

#include <errno.h>
#include <wayland-client.h>

#include <cstdio>

#include "platform/screen/compositor_modes.h"
#include "platform/screen/devmode.h"
#include "platform/screen/wayland/output_tracker.h"
#include "platform/wayland_dispatch.h"

namespace screen {

struct WaylandReadOnlyScreenDriver::Impl {
    WaylandReadOnlyScreenDriver* owner;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wayland::OutputTracker outputs;
    std::string output;
    DisplayMode last_known;
    bool check = false;
    bool gone = false;
    bool said_missing = false;

    explicit Impl(WaylandReadOnlyScreenDriver* driver) : owner(driver) {}
    ~Impl() {
        outputs.Clear();
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        static_cast<Impl*>(data)->outputs.OnGlobal(registry, name, interface, version);
    }
    static void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
        static_cast<Impl*>(data)->outputs.OnGlobalRemove(name);
    }
    static constexpr wl_registry_listener kRegistryListener = {Global, GlobalRemove};

    // Reads and dispatches until a sync round trip completes, within the time-out.
    bool RoundTrip() {
        if (gone) return false;
        const platform::Dispatched got =
            platform::SyncUntil(display, platform::DeadlineAfter(owner->ReplyTimeoutMs()));
        if (got == platform::Dispatched::kFailed) gone = true;
        return got == platform::Dispatched::kReady;
    }

    DisplayMode Read() const {
        const wayland::OutputState* state = outputs.Find(output);
        if (!state) return {};
        return {state->width, state->height, RoundedHz(state->refresh_mhz), kCompositorBpp};
    }

    int Refuse() {
        if (!said_missing) {
            std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, MissingLine());
            said_missing = true;
        }
        return owner->Fail(DISP_CHANGE_FAILED, MissingLine());
    }
};

WaylandReadOnlyScreenDriver::WaylandReadOnlyScreenDriver() : impl_(std::make_unique<Impl>(this)) {}

WaylandReadOnlyScreenDriver::~WaylandReadOnlyScreenDriver() = default;

const char* WaylandReadOnlyScreenDriver::MissingLine() {
    return "this compositor offers none of wlr-output-management, GNOME's DisplayConfig and KDE's output "
           "management, so the mode cannot be changed from here; change it in the desktop's display settings";
}

bool WaylandReadOnlyScreenDriver::Open(const std::string& display_name, const std::string& output,
                                       std::string* error) {
    Impl& d = BeginOpen(impl_, this);
    const auto fail = [&](std::string why) { return FailOpen(impl_, this, std::move(why), error); };
    d.display = wl_display_connect(display_name.empty() ? nullptr : display_name.c_str());
    if (!d.display) return fail("cannot connect to the Wayland compositor");
    d.registry = wl_display_get_registry(d.display);
    wl_registry_add_listener(d.registry, &Impl::kRegistryListener, &d);
    d.outputs.SetChangedCallback([&d] { d.check = true; });
    // Globals first, then the outputs' state.
    if (!d.RoundTrip() || !d.RoundTrip()) {
        return fail(d.gone ? "the connection to the Wayland compositor broke"
                           : "the Wayland compositor does not answer");
    }
    if (!output.empty()) {
        if (!d.outputs.Find(output)) return fail("the compositor has no output named " + output);
        d.output = output;
    } else {
        const auto all = d.outputs.Outputs();
        if (all.empty()) return fail("the compositor has no output");
        d.output = all.front()->name;
    }
    d.last_known = d.Read();
    TakeAsAnnounced(d.last_known);
    d.check = false;
    return true;
}

const std::string& WaylandReadOnlyScreenDriver::OutputName() const {
    return impl_->output;
}

DisplayMode WaylandReadOnlyScreenDriver::Current() const {
    const DisplayMode now = impl_->Read();
    return now.width > 0 ? now : impl_->last_known;
}

int WaylandReadOnlyScreenDriver::TestMode(const DisplayMode&) {
    return impl_->Refuse();
}

int WaylandReadOnlyScreenDriver::SetMode(const DisplayMode&) {
    return impl_->Refuse();
}

int WaylandReadOnlyScreenDriver::ConnectionFd() const {
    return impl_->display ? wl_display_get_fd(impl_->display) : -1;
}

void WaylandReadOnlyScreenDriver::ProcessPendingEvents() {
    Impl& d = *impl_;
    if (d.display && !d.gone && !platform::DispatchWaiting(d.display)) d.gone = true;
    if (d.check) {
        d.check = false;
        if (Announce(d.Read())) d.last_known = Announced();
    }
    ReportGoneOnce(d.gone);
}

bool WaylandReadOnlyScreenDriver::ServerGone() const {
    return impl_->gone;
}

}  // namespace screen
