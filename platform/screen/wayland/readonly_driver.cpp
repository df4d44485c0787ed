#include "platform/screen/wayland/readonly_driver.h"

#include <errno.h>
#include <wayland-client.h>

#include <cstdio>

#include "platform/screen/compositor_modes.h"
#include "platform/screen/devmode.h"
#include "platform/screen/wayland/output_tracker.h"
#include "platform/wayland_connection.h"

namespace screen {

struct WaylandReadOnlyScreenDriver::Impl {
    WaylandReadOnlyScreenDriver* owner;
    platform::WaylandConnection link;
    wayland::OutputTracker outputs;
    std::string output;
    DisplayMode last_known;
    bool check = false;
    bool said_missing = false;

    explicit Impl(WaylandReadOnlyScreenDriver* driver) : owner(driver) {}
    ~Impl() {
        outputs.Clear();
        link.Close();
    }

    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        static_cast<Impl*>(data)->outputs.OnGlobal(registry, name, interface, version);
    }
    static void GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
        static_cast<Impl*>(data)->outputs.OnGlobalRemove(name);
    }
    static constexpr wl_registry_listener kRegistryListener = {Global, GlobalRemove};

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
    d.outputs.SetChangedCallback([&d] { d.check = true; });
    // Globals first, then the outputs' state.
    std::string why;
    if (!d.link.Connect(display_name, &Impl::kRegistryListener, &d, ReplyTimeoutMs(), &why)) return fail(why);
    if (!d.link.Sync(ReplyTimeoutMs())) return fail(d.link.WaitFailure());
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
    return impl_->link.Fd();
}

void WaylandReadOnlyScreenDriver::ProcessPendingEvents() {
    Impl& d = *impl_;
    d.link.DispatchWaiting();
    if (d.check) {
        d.check = false;
        if (Announce(d.Read())) d.last_known = Announced();
    }
    ReportGoneOnce(d.link.gone());
}

bool WaylandReadOnlyScreenDriver::ServerGone() const {
    return impl_->link.gone();
}

}  // namespace screen
