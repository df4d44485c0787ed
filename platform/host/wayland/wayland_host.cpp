#include "platform/host/wayland/wayland_host.h"

#include <fractional-scale-v1-client-protocol.h>
#include <poll.h>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>
#include <xdg-output-unstable-v1-client-protocol.h>
#include <xdg-shell-client-protocol.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include "platform/host/wayland/shm_buffers.h"
#include "platform/host/wayland/surface_scale.h"
#include "platform/host/wayland/wayland_input.h"
#include "platform/host/wayland/wayland_outputs.h"
#include "platform/screen/driver.h"
#include "platform/wayland_dispatch.h"

namespace host {
namespace {

// The output's mode as the desktop shows it: a quarter turn swaps the sides.
screen::DisplayMode ModeOf(const wayland::OutputState& s) {
    const bool turned = s.transform % 2 == 1;
    screen::DisplayMode m;
    m.width = turned ? s.mode_height : s.mode_width;
    m.height = turned ? s.mode_width : s.mode_height;
    m.refresh = (s.refresh_mhz + 500) / 1000;
    m.bpp = 32;  // a Wayland buffer has no other depth
    return m;
}

}  // namespace

struct WaylandHost::Impl {
    std::string program;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* wm_base = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractional_manager = nullptr;
    std::unique_ptr<wayland::Outputs> outputs = std::make_unique<wayland::Outputs>();
    std::unique_ptr<wayland::Seat> seat;
    std::unique_ptr<wayland::ShmBuffers> buffers;

    wl_surface* surface = nullptr;
    xdg_surface* xdg = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractional = nullptr;

    std::uint32_t target = 0;  // the global of the output the window is on
    bool configured = false;
    int pending_width = 0;  // from the toplevel's configure, logical units
    int pending_height = 0;
    int logical_width = 0;
    int logical_height = 0;
    int preferred_120 = 0;
    wayland::ScalePlan plan;
    bool warned_inexact = false;

    // The last ScreenBuffer call moved the picture into another surface.
    bool picture_moved = false;
    bool visible = false;
    bool present_pending = false;
    // What changed in the picture since the last commit; the next commit
    // damages only that, unless it must show everything again (a configure,
    // a scale or output change, a new mapping).
    gdi::Damage commit_damage;
    bool commit_whole = true;

    wayland::OutputState seen;  // the window's output as last told
    // The size of the output's mode before it changed: a buffer of that size
    // is the old picture, and committing it against the new mode's configure
    // makes compositors place the window for the old size.
    int stale_width = 0;
    int stale_height = 0;
    std::vector<EventSource> sources;
    std::deque<Event> events;
    bool display_changed = false;
    bool gone = false;
    std::string lost_output;  // the name of the window's output once it went away

    ~Impl() {
        buffers.reset();
        if (fractional) wp_fractional_scale_v1_destroy(fractional);
        if (viewport) wp_viewport_destroy(viewport);
        if (toplevel) xdg_toplevel_destroy(toplevel);
        if (xdg) xdg_surface_destroy(xdg);
        if (surface) wl_surface_destroy(surface);
        seat.reset();
        if (fractional_manager) wp_fractional_scale_manager_v1_destroy(fractional_manager);
        if (viewporter) wp_viewporter_destroy(viewporter);
        if (wm_base) xdg_wm_base_destroy(wm_base);
        if (shm) wl_shm_destroy(shm);
        if (compositor) wl_compositor_destroy(compositor);
        if (registry) wl_registry_destroy(registry);
        outputs.reset();
        if (display) wl_display_disconnect(display);
    }

    wayland::Output* Target() const { return outputs->FindGlobal(target); }

    gdi::Surface* Picture() const { return buffers ? buffers->Picture() : nullptr; }

    // --- registry ---
    static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
        Impl& m = *static_cast<Impl*>(data);
        const std::string_view i = interface;
        // One of each is enough; a second would only leak the first.
        if (i == wl_compositor_interface.name && !m.compositor) {
            m.compositor = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, std::min<uint32_t>(version, 4)));
        } else if (i == wl_shm_interface.name && !m.shm) {
            m.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (i == xdg_wm_base_interface.name && !m.wm_base) {
            m.wm_base =
                static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
            static const xdg_wm_base_listener listener = {
                [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }};
            xdg_wm_base_add_listener(m.wm_base, &listener, &m);
        } else if (i == wp_viewporter_interface.name && !m.viewporter) {
            m.viewporter =
                static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
        } else if (i == wp_fractional_scale_manager_v1_interface.name && !m.fractional_manager) {
            m.fractional_manager = static_cast<wp_fractional_scale_manager_v1*>(
                wl_registry_bind(registry, name, &wp_fractional_scale_manager_v1_interface, 1));
        } else if (i == wl_output_interface.name) {
            m.outputs->Bind(registry, name, version);
        } else if (i == zxdg_output_manager_v1_interface.name) {
            m.outputs->BindXdgManager(registry, name, version);
        } else if (i == wl_seat_interface.name) {
            m.seat->Bind(registry, name, version);
        }
    }

    static void GlobalRemove(void* data, wl_registry*, uint32_t name) {
        Impl& m = *static_cast<Impl*>(data);
        if (m.seat->Remove(name)) return;
        if (name == m.target) {
            m.LeaveOutput();
        } else {
            m.outputs->Remove(name);
        }
    }

    // The window's output went away (unplugged or disabled): the window
    // moves to the first other output (the screen driver follows it there),
    // or the input ends when none is left.
    void LeaveOutput() {
        const wayland::Output* old = Target();
        const std::string old_name = old && !old->state.name.empty() ? old->state.name : "(unnamed)";
        outputs->Remove(target);
        target = 0;
        for (const auto& o : outputs->list()) {
            if (o->ready) {
                target = o->global;
                break;
            }
        }
        wayland::Output* next = Target();
        if (!next) {
            lost_output = old_name;
            gone = true;
            return;
        }
        std::fprintf(stderr, "%s: the monitor %s was disconnected; moving to %s\n", program.c_str(),
                     old_name.c_str(), next->state.name.c_str());
        if (toplevel) xdg_toplevel_set_fullscreen(toplevel, next->output);
        OutputChanged(*next, true);
    }

    // The window's output changed its mode, scale or size, or the window
    // moved to another one. The screen driver announces a new mode; what it
    // cannot see (scale, which output) is announced here.
    void OutputChanged(wayland::Output& output, bool moved) {
        if (output.global != target) return;
        wayland::OutputState same_mode = output.state;
        same_mode.mode_width = seen.mode_width;
        same_mode.mode_height = seen.mode_height;
        same_mode.refresh_mhz = seen.refresh_mhz;
        const bool beyond_mode = moved || !(same_mode == seen);
        const screen::DisplayMode before = ModeOf(seen);
        const screen::DisplayMode now = ModeOf(output.state);
        if (before.width != now.width || before.height != now.height) {
            stale_width = before.width;
            stale_height = before.height;
        }
        seen = output.state;
        if (beyond_mode) screen::AnnounceDisplayChange();
        display_changed = true;
        WarnWhenInexact();
        if (Picture()) PresentWhole();
    }

    // --- surface ---
    static void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
        Impl& m = *static_cast<Impl*>(data);
        m.pending_width = std::max(width, 0);
        m.pending_height = std::max(height, 0);
    }
    static void ToplevelClose(void* data, xdg_toplevel*) {
        Impl& m = *static_cast<Impl*>(data);
        Event e;
        e.type = Event::kQuit;
        m.events.push_back(e);
    }
    static void ToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
    static void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

    static void SurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
        Impl& m = *static_cast<Impl*>(data);
        xdg_surface_ack_configure(surface, serial);
        m.configured = true;
        // A zero size leaves the size to us: the last one we had, else the output's.
        if (m.pending_width > 0 && m.pending_height > 0) {
            m.logical_width = m.pending_width;
            m.logical_height = m.pending_height;
        }
        if (m.visible && m.Picture()) m.PresentWhole();
    }

    static void PreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
        Impl& m = *static_cast<Impl*>(data);
        if (static_cast<int>(scale) == m.preferred_120) return;
        m.preferred_120 = static_cast<int>(scale);
        screen::AnnounceDisplayChange();
        m.display_changed = true;
        m.WarnWhenInexact();
        if (m.visible && m.Picture()) m.PresentWhole();
    }

    bool MakeWindow(std::string* error) {
        surface = wl_compositor_create_surface(compositor);
        if (viewporter) viewport = wp_viewporter_get_viewport(viewporter, surface);
        if (fractional_manager) {
            fractional = wp_fractional_scale_manager_v1_get_fractional_scale(fractional_manager, surface);
            static const wp_fractional_scale_v1_listener listener = {PreferredScale};
            wp_fractional_scale_v1_add_listener(fractional, &listener, this);
        }
        xdg = xdg_wm_base_get_xdg_surface(wm_base, surface);
        static const xdg_surface_listener surface_listener = {SurfaceConfigure};
        xdg_surface_add_listener(xdg, &surface_listener, this);
        toplevel = xdg_surface_get_toplevel(xdg);
        static const xdg_toplevel_listener toplevel_listener = {ToplevelConfigure, ToplevelClose,
                                                                ToplevelBounds, ToplevelCapabilities};
        xdg_toplevel_add_listener(toplevel, &toplevel_listener, this);
        xdg_toplevel_set_app_id(toplevel, program.c_str());
        xdg_toplevel_set_title(toplevel, program.c_str());
        xdg_toplevel_set_fullscreen(toplevel, Target()->output);
        wl_surface_commit(surface);
        if (wl_display_roundtrip(display) < 0) {
            if (error) *error = "the Wayland compositor closed the connection while the window was made";
            return false;
        }
        return true;
    }

    // --- presenting ---
    wayland::ScaleInputs ScaleFor(int width, int height) const {
        wayland::ScaleInputs in;
        in.device_width = width;
        in.device_height = height;
        in.logical_width = logical_width;
        in.logical_height = logical_height;
        if (const wayland::Output* o = Target()) in.output_scale = o->state.scale;
        in.preferred_120 = preferred_120;
        in.has_viewporter = viewport != nullptr;
        return in;
    }

    // Judged from the output's own description, which is consistent in
    // itself, unlike a buffer and a configure that may be a change apart.
    void WarnWhenInexact() {
        const wayland::Output* o = Target();
        if (warned_inexact || !o || !o->ready) return;
        const screen::DisplayMode mode = ModeOf(o->state);
        wayland::ScaleInputs in;
        in.device_width = mode.width;
        in.device_height = mode.height;
        in.logical_width = o->state.logical_width;
        in.logical_height = o->state.logical_height;
        in.output_scale = o->state.scale;
        in.preferred_120 = preferred_120;
        in.has_viewporter = viewport != nullptr;
        if (wayland::PlanScale(in).exact) return;
        warned_inexact = true;
        std::fprintf(
            stderr,
            "%s: the desktop's scaling keeps the patterns from being exact; set the scale of %s to "
            "100 %% while adjusting (GNOME: Settings, Displays, Scale; sway: swaymsg output %s scale 1)\n",
            program.c_str(), o->state.name.c_str(), o->state.name.c_str());
    }

    void PresentWhole() {
        commit_whole = true;
        Present();
    }

    // Commits the picture: the buffer it was composed in, or else a buffer
    // the compositor does not hold, brought up to date where the picture
    // changed since it was last drawn.
    void Present() {
        gdi::Surface* picture = Picture();
        if (!picture || !visible || !surface) return;
        const int w = picture->width();
        const int h = picture->height();
        if (w <= 0 || h <= 0) return;
        if (!configured) {
            present_pending = true;
            return;
        }
        if (w == stale_width && h == stale_height) return;  // the frame redraws at the new size
        stale_width = stale_height = 0;
        const gdi::Rect bounds{0, 0, w, h};
        const bool unchanged = commit_damage.Within(bounds).IsEmpty();
        if (!commit_whole && unchanged) {
            present_pending = false;  // nothing changed since the last commit
            return;
        }
        // Shown again as it is (a configure, a scale change): the buffer of
        // the last commit still holds the picture; no other buffer, no copy.
        wayland::ShmBuffer* target_buffer = unchanged ? buffers->LastCommitted(w, h) : nullptr;
        if (!target_buffer) target_buffer = buffers->TakeComposedInPlace();
        if (!target_buffer) {
            target_buffer = buffers->Acquire(w, h);
            if (!target_buffer) {  // all held by the compositor: again on a release
                present_pending = true;
                return;
            }
            CopyInto(*target_buffer, target_buffer->TakeStale());
        }
        present_pending = false;
        plan = wayland::PlanScale(ScaleFor(w, h));
        if (wl_surface_get_version(surface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) {
            wl_surface_set_buffer_scale(surface, plan.buffer_scale);
        }
        if (viewport) {
            if (plan.use_viewport) {
                wp_viewport_set_destination(viewport, plan.viewport_width, plan.viewport_height);
            } else {
                wp_viewport_set_destination(viewport, -1, -1);
            }
        }
        wl_surface_attach(surface, target_buffer->TakeForCommit(), 0, 0);
        const gdi::Rect changed = commit_damage.Take(bounds);
        const gdi::Rect shown = commit_whole ? bounds : changed;
        commit_whole = false;
        if (wl_surface_get_version(surface) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
            wl_surface_damage_buffer(surface, static_cast<int32_t>(shown.left),
                                     static_cast<int32_t>(shown.top), static_cast<int32_t>(shown.Width()),
                                     static_cast<int32_t>(shown.Height()));
        } else {  // surface units: the whole surface, rather than converting scales
            wl_surface_damage(surface, 0, 0, plan.surface_width, plan.surface_height);
        }
        wl_surface_commit(surface);
        wl_display_flush(display);
    }

    // The pixels of area (inside both, same size) from the picture into target.
    void CopyInto(wayland::ShmBuffer& target, const gdi::Rect& area) {
        if (area.IsEmpty()) return;
        if (target.picture()) {
            wayland::CopyPicture(*Picture(), *target.picture(), area);
            return;
        }
        const gdi::Surface& from = *Picture();
        const std::size_t bytes = static_cast<std::size_t>(area.Width()) * sizeof(gdi::Pixel);
        for (std::int64_t y = area.top; y < area.bottom; ++y) {
            std::uint32_t* out = target.pixels() + y * target.width() + area.left;
            std::memcpy(out, from.row(static_cast<int>(y)) + area.left, bytes);
        }
    }

    // Pointer positions arrive in the surface's logical units.
    void MapPointer(double sx, double sy, int* x, int* y) const {
        const gdi::Surface* picture = Picture();
        const int w = picture ? picture->width() : 0;
        const int h = picture ? picture->height() : 0;
        *x = wayland::SurfaceToBuffer(sx, w, plan.surface_width);
        *y = wayland::SurfaceToBuffer(sy, h, plan.surface_height);
    }

    // --- the loop ---

    // Reads and dispatches what the compositor sent, sleeping in poll()
    // until something arrives there or on a source; false when the
    // compositor went away.
    bool Sleep() {
        std::vector<pollfd> fds;
        for (const EventSource& s : sources) fds.push_back({s.fd, POLLIN, 0});
        return platform::DispatchOnce(display, fds, platform::kNoDeadline, [this] {
                   return !events.empty() || display_changed || gone;
               }) != platform::Dispatched::kFailed;
    }
};

WaylandHost::WaylandHost() : impl_(std::make_unique<Impl>()) {}

WaylandHost::~WaylandHost() = default;

bool WaylandHost::Connect(std::string* error) {
    Impl& m = *impl_;
    if (m.display) return true;
    m.display = wl_display_connect(nullptr);
    if (!m.display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        if (error) {
            *error = std::string("cannot connect to the Wayland display \"") + (name ? name : "wayland-0") +
                     "\" (" + std::strerror(errno) + ")";
        }
        return false;
    }
    return true;
}

wl_display* WaylandHost::Display() const {
    return impl_->display;
}

bool WaylandHost::Open(const std::string& program, const std::string& output_name, std::string* error) {
    Impl& m = *impl_;
    m.program = program;
    if (!Connect(error)) return false;
    m.seat = std::make_unique<wayland::Seat>(
        [&m](const Event& e) { m.events.push_back(e); },
        [&m](double sx, double sy, int* x, int* y) { m.MapPointer(sx, sy, x, y); });
    m.registry = wl_display_get_registry(m.display);
    static const wl_registry_listener registry_listener = {Impl::Global, Impl::GlobalRemove};
    wl_registry_add_listener(m.registry, &registry_listener, &m);
    // Globals, then the outputs' and the seat's first events.
    if (wl_display_roundtrip(m.display) < 0 || wl_display_roundtrip(m.display) < 0) {
        if (error) *error = "the Wayland compositor closed the connection at start";
        return false;
    }
    // Outputs whose xdg-output details came after their first "done".
    for (const auto& o : m.outputs->list()) {
        if (o->ready) o->state = o->pending;
    }
    std::string missing;
    if (!m.compositor) missing += " wl_compositor";
    if (!m.shm) missing += " wl_shm";
    if (!m.wm_base) missing += " xdg_wm_base";
    if (!missing.empty()) {
        if (error) *error = "the Wayland compositor lacks what a window needs:" + missing;
        return false;
    }
    for (const auto& o : m.outputs->list()) {
        if (!o->ready) continue;
        if (output_name.empty() || o->state.name == output_name) {
            m.target = o->global;
            break;
        }
    }
    if (!m.target) {
        if (error) {
            const std::string names = m.outputs->Names();
            *error = names.empty() ? "the Wayland compositor has no outputs (monitors) to show the wizard on"
                                   : "the Wayland compositor has no output named \"" + output_name +
                                         "\" (it has: " + names + ")";
        }
        return false;
    }
    m.seen = m.Target()->state;
    m.outputs->SetChangeHandler([&m](wayland::Output& o) { m.OutputChanged(o, false); });
    m.buffers = std::make_unique<wayland::ShmBuffers>(m.shm);
    m.buffers->SetReleaseHandler(
        [](void* data) {
            Impl& self = *static_cast<Impl*>(data);
            if (self.present_pending) self.Present();  // with the damage it was kept for
        },
        &m);
    {
        // The first picture has the output's size, in device pixels.
        const screen::DisplayMode mode = ModeOf(m.seen);
        m.buffers->Prepare(mode.width, mode.height);
    }
    if (!m.MakeWindow(error)) return false;
    m.WarnWhenInexact();
    return true;
}

bool WaylandHost::Connected() const {
    return impl_->display != nullptr;
}

std::string WaylandHost::LostOutput() const {
    return impl_->lost_output;
}

std::string WaylandHost::OutputName() const {
    const wayland::Output* o = impl_->Target();
    return o ? o->state.name : std::string();
}

void WaylandHost::AddSource(int fd, std::function<SourceState()> drain) {
    if (fd >= 0 && drain) impl_->sources.push_back({fd, std::move(drain)});
}

bool WaylandHost::SourceGone() const {
    return impl_->gone;
}

bool WaylandHost::WaitEvent(Event& event) {
    Impl& m = *impl_;
    if (!m.display) return false;
    for (;;) {
        if (!m.events.empty()) {
            event = m.events.front();
            m.events.pop_front();
            return true;
        }
        if (m.gone) return false;
        bool changed = m.display_changed;
        m.display_changed = false;
        if (!DrainSources(m.sources, &changed)) {
            m.gone = true;
            return false;
        }
        if (changed) {
            event = Event{};
            event.type = Event::kDisplayChanged;
            return true;
        }
        if (!m.Sleep()) {
            m.gone = true;
            return false;
        }
    }
}

gdi::Surface* WaylandHost::ScreenBuffer(int width, int height) {
    Impl& m = *impl_;
    m.picture_moved = false;
    if (!m.buffers) return nullptr;
    const gdi::Surface* now = m.Picture();
    // A new picture is committed whole.
    if (!now || now->width() != width || now->height() != height) m.commit_whole = true;
    return m.buffers->PictureFor(width, height, &m.picture_moved);
}

bool WaylandHost::ScreenBufferMoved() const {
    return impl_->picture_moved;
}

void WaylandHost::Present(const gdi::Rect& damage) {
    Impl& m = *impl_;
    if (m.buffers) m.buffers->AddDamage(damage);
    m.commit_damage.Add(damage);
    m.Present();
}

void WaylandHost::WindowPlaced(const WindowPlacement& placement) {
    Impl& m = *impl_;
    if (!m.toplevel) return;
    xdg_toplevel_set_title(m.toplevel, placement.title.c_str());
    if (placement.visible == m.visible) return;
    m.visible = placement.visible;
    if (!m.visible) {
        // Unmapped; showing again starts over with a fresh configure.
        wl_surface_attach(m.surface, nullptr, 0, 0);
        wl_surface_commit(m.surface);
        m.configured = false;
        wl_display_flush(m.display);
        return;
    }
    if (!m.configured) wl_surface_commit(m.surface);
    if (m.Picture()) m.PresentWhole();
}

}  // namespace host
