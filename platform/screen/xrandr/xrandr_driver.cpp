#include "platform/screen/xrandr/xrandr_driver.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/screen/devmode.h"
#include "platform/screen/xrandr/x_errors.h"
#include "platform/screen/xrandr/xrandr_layout.h"
#include "platform/screen/xrandr/xrandr_modes.h"
#include "platform/screen/xrandr/xrandr_monitors.h"

namespace screen {
namespace {

struct FreeResources {
    void operator()(XRRScreenResources* p) const { XRRFreeScreenResources(p); }
};
struct FreeCrtc {
    void operator()(XRRCrtcInfo* p) const { XRRFreeCrtcInfo(p); }
};
struct FreeOutput {
    void operator()(XRROutputInfo* p) const { XRRFreeOutputInfo(p); }
};
using Resources = std::unique_ptr<XRRScreenResources, FreeResources>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, FreeCrtc>;
using OutputInfo = std::unique_ptr<XRROutputInfo, FreeOutput>;

// Enough rounds to drain a burst, few enough that a client changing modes
// without end cannot keep the event loop here.
constexpr int kMaxEventRounds = 16;

const XRRModeInfo* FindModeInfo(const XRRScreenResources& res, RRMode id) {
    for (int i = 0; i < res.nmode; ++i) {
        if (res.modes[i].id == id) return &res.modes[i];
    }
    return nullptr;
}

bool Sideways(Rotation rotation) {
    return (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
}

// The CRTC to read and change, with the outputs it drives.
struct Target {
    RRCrtc crtc = 0;
    CrtcInfo info;
};

}  // namespace

struct XrandrScreenDriver::Impl {
    XrandrScreenDriver* owner;
    Display* display = nullptr;
    Window root = 0;
    bool randr = false;
    bool has_primary = false;  // RandR 1.3
    int event_base = 0;
    int bpp = 0;
    unsigned long window = 0;
    std::string followed;       // the output to read and change; empty: the window's
    std::string target_output;  // the output the last read found
    int target_x = 0;
    int target_y = 0;
    xrandr::ConnectionErrors errors;
    DisplayMode last_known;
    std::string last_notified_output;
    bool xwayland_reported = false;

    explicit Impl(XrandrScreenDriver* driver) : owner(driver) {}
    ~Impl() { Close(); }

    void Close() {
        if (!display) return;
        XCloseDisplay(display);
        // Only now: closing a broken connection raises its IO error once more.
        xrandr::Unwatch(display);
        display = nullptr;
    }

    bool Usable() const { return display && !errors.gone; }

    int Fail(int code, std::string why) { return owner->Fail(code, std::move(why)); }

    RRCrtc CrtcUnderWindow(const XRRScreenResources& res) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes)) return 0;
        int x = 0;
        int y = 0;
        Window child = 0;
        if (!XTranslateCoordinates(display, window, root, attributes.width / 2, attributes.height / 2, &x, &y,
                                   &child)) {
            return 0;
        }
        for (int i = 0; i < res.ncrtc; ++i) {
            CrtcInfo crtc(XRRGetCrtcInfo(display, const_cast<XRRScreenResources*>(&res), res.crtcs[i]));
            if (!crtc || crtc->mode == None) continue;
            if (x >= crtc->x && y >= crtc->y && x - crtc->x < static_cast<int>(crtc->width) &&
                y - crtc->y < static_cast<int>(crtc->height)) {
                return res.crtcs[i];
            }
        }
        return 0;
    }

    RRCrtc CrtcOfOutput(XRRScreenResources& res, RROutput output) {
        OutputInfo info(XRRGetOutputInfo(display, &res, output));
        if (!info || info->connection != RR_Connected) return 0;
        return info->crtc;
    }

    RRCrtc CrtcOfOutputNamed(XRRScreenResources& res, const std::string& name) {
        for (int i = 0; i < res.noutput; ++i) {
            OutputInfo info(XRRGetOutputInfo(display, &res, res.outputs[i]));
            // Whatever connection state the server last probed: a picture shown is a monitor.
            if (!info || info->crtc == None) continue;
            if (std::string(info->name, static_cast<std::size_t>(std::max(info->nameLen, 0))) == name) {
                return info->crtc;
            }
        }
        return 0;
    }

    std::string OutputName(XRRScreenResources& res, RROutput output) {
        OutputInfo info(XRRGetOutputInfo(display, &res, output));
        return info ? std::string(info->name, static_cast<std::size_t>(std::max(info->nameLen, 0)))
                    : std::string();
    }

    Target PickTarget(XRRScreenResources& res) {
        RRCrtc crtc = 0;
        if (!followed.empty()) crtc = CrtcOfOutputNamed(res, followed);
        if (!crtc && followed.empty() && window != 0) crtc = CrtcUnderWindow(res);
        if (!crtc && has_primary) {
            const RROutput primary = XRRGetOutputPrimary(display, root);
            if (primary != None) crtc = CrtcOfOutput(res, primary);
        }
        for (int i = 0; !crtc && i < res.noutput; ++i) crtc = CrtcOfOutput(res, res.outputs[i]);
        Target target;
        if (!crtc) return target;
        target.info.reset(XRRGetCrtcInfo(display, &res, crtc));
        if (target.info && target.info->mode != None) target.crtc = crtc;
        return target;
    }

    DisplayMode ScreenSizeMode() const {
        const int screen = DefaultScreen(display);
        return {DisplayWidth(display, screen), DisplayHeight(display, screen), 0, bpp};
    }

    DisplayMode ReadCurrent() {
        if (!Usable()) return last_known;
        DisplayMode mode = ScreenSizeMode();
        if (randr) {
            Resources res(XRRGetScreenResourcesCurrent(display, root));
            if (res) {
                Target target = PickTarget(*res);
                target_output.clear();
                if (target.crtc) {
                    target_output =
                        target.info->noutput > 0 ? OutputName(*res, target.info->outputs[0]) : std::string();
                    target_x = target.info->x;
                    target_y = target.info->y;
                    // A followed output that went away hands over to the one taking its place.
                    if (!followed.empty()) followed = target_output;
                    mode.width = static_cast<int>(target.info->width);
                    mode.height = static_cast<int>(target.info->height);
                    const XRRModeInfo* info = FindModeInfo(*res, target.info->mode);
                    mode.refresh = info ? xrandr::RefreshHz(xrandr::TimingOf(*info)) : 0;
                }
            }
        }
        if (errors.gone) return last_known;
        last_known = mode;
        return mode;
    }

    // The id of the mode that would serve `mode` on the target's outputs, or
    // a DISP_CHANGE code when there is none.
    int Resolve(XRRScreenResources& res, const Target& target, const DisplayMode& mode, RRMode* id) {
        if (!target.crtc || target.info->noutput <= 0) return DISP_CHANGE_FAILED;
        OutputInfo first(XRRGetOutputInfo(display, &res, target.info->outputs[0]));
        if (!first) return DISP_CHANGE_FAILED;
        std::vector<OutputInfo> others;
        for (int i = 1; i < target.info->noutput; ++i) {
            others.emplace_back(XRRGetOutputInfo(display, &res, target.info->outputs[i]));
            if (!others.back()) return DISP_CHANGE_FAILED;
        }
        const auto on_every_output = [&](RRMode candidate) {
            return std::all_of(others.begin(), others.end(), [candidate](const OutputInfo& output) {
                return std::find(output->modes, output->modes + output->nmode, candidate) !=
                       output->modes + output->nmode;
            });
        };

        // The mode already shown goes first, so a request it satisfies changes nothing.
        std::vector<RRMode> ids;
        if (std::find(first->modes, first->modes + first->nmode, target.info->mode) !=
            first->modes + first->nmode) {
            ids.push_back(target.info->mode);
        }
        for (int i = 0; i < first->nmode; ++i) {
            if (first->modes[i] != target.info->mode) ids.push_back(first->modes[i]);
        }
        std::vector<RRMode> usable;
        std::vector<xrandr::ModeTiming> timings;
        for (RRMode candidate : ids) {
            const XRRModeInfo* info = FindModeInfo(res, candidate);
            if (!info || !on_every_output(candidate)) continue;
            usable.push_back(candidate);
            timings.push_back(xrandr::TimingOf(*info));
        }
        const auto found = xrandr::FindMode(mode, timings, bpp);
        if (!found) return DISP_CHANGE_BADMODE;
        *id = usable[*found];
        return DISP_CHANGE_SUCCESSFUL;
    }

    bool SetScreenSize(xrandr::Size size, xrandr::Size current) {
        const int screen = DefaultScreen(display);
        const int mm_width = xrandr::Millimetres(size.width, current.width, DisplayWidthMM(display, screen));
        const int mm_height =
            xrandr::Millimetres(size.height, current.height, DisplayHeightMM(display, screen));
        const int errors_before = errors.count;
        XRRSetScreenSize(display, root, size.width, size.height, mm_width, mm_height);
        XSync(display, False);
        return errors.count == errors_before && !errors.gone;
    }

    int Apply(XRRScreenResources& res, const Target& target, const XRRModeInfo& mode) {
        Window unused_root = 0;
        int unused_x = 0;
        int unused_y = 0;
        unsigned width = 0;
        unsigned height = 0;
        unsigned border = 0;
        unsigned depth = 0;
        if (!XGetGeometry(display, root, &unused_root, &unused_x, &unused_y, &width, &height, &border,
                          &depth)) {
            return DISP_CHANGE_FAILED;
        }
        const xrandr::Size current{static_cast<int>(width), static_cast<int>(height)};
        int min_width = 0;
        int min_height = 0;
        int max_width = 0;
        int max_height = 0;
        if (!XRRGetScreenSizeRange(display, root, &min_width, &min_height, &max_width, &max_height)) {
            return DISP_CHANGE_FAILED;
        }

        std::vector<xrandr::Rect> others;
        for (int i = 0; i < res.ncrtc; ++i) {
            if (res.crtcs[i] == target.crtc) continue;
            CrtcInfo other(XRRGetCrtcInfo(display, &res, res.crtcs[i]));
            if (!other || other->mode == None) continue;
            others.push_back(
                {other->x, other->y, static_cast<int>(other->width), static_cast<int>(other->height)});
        }
        const bool sideways = Sideways(target.info->rotation);
        const int shown_width = static_cast<int>(sideways ? mode.height : mode.width);
        const int shown_height = static_cast<int>(sideways ? mode.width : mode.height);
        const auto plan =
            xrandr::PlanScreenResize(current, {min_width, min_height}, {max_width, max_height}, others,
                                     {target.info->x, target.info->y, shown_width, shown_height});
        if (!plan) return DISP_CHANGE_FAILED;

        if (plan->before != current && !SetScreenSize(plan->before, current)) return DISP_CHANGE_FAILED;
        const Status status =
            XRRSetCrtcConfig(display, &res, target.crtc, CurrentTime, target.info->x, target.info->y, mode.id,
                             target.info->rotation, target.info->outputs, target.info->noutput);
        if (status != RRSetConfigSuccess || errors.gone) {
            if (plan->before != current && !errors.gone) SetScreenSize(current, plan->before);
            return DISP_CHANGE_FAILED;
        }
        // The mode is set; a screen left larger than needed is harmless.
        if (plan->after != plan->before) SetScreenSize(plan->after, plan->before);
        return DISP_CHANGE_SUCCESSFUL;
    }

    // Whether the target is an XWayland output; says so on stderr once, and
    // in the driver's last error every time.
    bool ShownThroughXwayland(XRRScreenResources& res, const Target& target) {
        if (!target.crtc) return false;
        for (int i = 0; i < target.info->noutput; ++i) {
            if (!xrandr::IsXwaylandOutput(OutputName(res, target.info->outputs[i]))) continue;
            const char* why =
                "the X server is XWayland, which cannot change the monitor's mode; run without DISPLAY on a "
                "Wayland desktop to change it through the compositor";
            if (!xwayland_reported) std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why);
            xwayland_reported = true;
            Fail(DISP_CHANGE_FAILED, why);
            return true;
        }
        return false;
    }

    int Change(const DisplayMode& mode, bool apply) {
        if (!display) return Fail(DISP_CHANGE_FAILED, "no X display is open");
        if (errors.gone) return Fail(DISP_CHANGE_FAILED, "the X server went away");
        if (!randr) return Fail(DISP_CHANGE_FAILED, "the X server lacks RandR 1.2");
        Resources res(XRRGetScreenResourcesCurrent(display, root));
        if (!res) return Fail(DISP_CHANGE_FAILED, "the X server lists no screen resources");
        Target target = PickTarget(*res);
        if (ShownThroughXwayland(*res, target)) return DISP_CHANGE_FAILED;
        RRMode id = None;
        const int result = Resolve(*res, target, mode, &id);
        if (errors.gone) return Fail(DISP_CHANGE_FAILED, "the X server went away");
        if (result == DISP_CHANGE_BADMODE) return Fail(result, "the monitor lists no such mode");
        if (result != DISP_CHANGE_SUCCESSFUL)
            return Fail(result, "no output shows a picture, or its modes cannot be read");
        if (!apply) return DISP_CHANGE_SUCCESSFUL;
        const XRRModeInfo* info = FindModeInfo(*res, id);
        const int applied = info ? Apply(*res, target, *info) : DISP_CHANGE_FAILED;
        if (applied != DISP_CHANGE_SUCCESSFUL) return Fail(applied, "the X server refused the mode");
        return applied;
    }
};

XrandrScreenDriver::XrandrScreenDriver() : impl_(std::make_unique<Impl>(this)) {}

XrandrScreenDriver::~XrandrScreenDriver() = default;

bool XrandrScreenDriver::Open(const std::string& display_name, std::string* error) {
    Impl& impl = BeginOpen(impl_, this);
    std::string name = display_name;
    if (name.empty()) {
        const char* env = std::getenv("DISPLAY");
        if (!env || !*env) return FailOpen(impl_, this, "no X display: DISPLAY is not set", error);
        name = env;
    }
    Display* display = XOpenDisplay(name.c_str());
    if (!display) return FailOpen(impl_, this, "cannot open X display \"" + name + "\"", error);

    impl.display = display;
    xrandr::Watch(display, &impl.errors);
    const int screen = DefaultScreen(display);
    impl.root = RootWindow(display, screen);

    int format_count = 0;
    std::vector<xrandr::PixmapFormat> formats;
    if (XPixmapFormatValues* values = XListPixmapFormats(display, &format_count)) {
        for (int i = 0; i < format_count; ++i) formats.push_back({values[i].depth, values[i].bits_per_pixel});
        XFree(values);
    }
    impl.bpp = xrandr::BitsPerPixel(DefaultDepth(display, screen), formats);

    // Asked through core Xlib first: libXrandr leaks its per-display record
    // when the server lacks the extension.
    int opcode = 0;
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (XQueryExtension(display, RANDR_NAME, &opcode, &event_base, &error_base) &&
        XRRQueryExtension(display, &impl.event_base, &error_base) &&
        XRRQueryVersion(display, &major, &minor)) {
        impl.randr = major > 1 || (major == 1 && minor >= 2);
        impl.has_primary = major > 1 || (major == 1 && minor >= 3);
    }
    if (impl.randr) {
        XRRSelectInput(display, impl.root,
                       RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    }
    TakeAsAnnounced(impl.ReadCurrent());
    return true;
}

void XrandrScreenDriver::Close() {
    impl_->Close();
}

bool XrandrScreenDriver::IsOpen() const {
    return impl_->display != nullptr;
}

bool XrandrScreenDriver::ReadOnly() const {
    return !impl_->randr;
}

void XrandrScreenDriver::ShowWindow(unsigned long window) {
    impl_->window = window;
}

void XrandrScreenDriver::ActOn(const std::string& output) {
    impl_->followed = output;
    if (impl_->display) TakeAsAnnounced(impl_->ReadCurrent());
    impl_->last_notified_output = impl_->target_output;
}

std::string XrandrScreenDriver::CurrentOutput() const {
    return impl_->target_output;
}

bool XrandrScreenDriver::CurrentOrigin(int* x, int* y) const {
    if (impl_->target_output.empty()) return false;
    *x = impl_->target_x;
    *y = impl_->target_y;
    return true;
}

std::vector<Monitor> XrandrScreenDriver::Monitors() const {
    const Impl& impl = *impl_;
    if (!impl.Usable() || !impl.randr) return {};
    return xrandr::ReadMonitors(impl.display, impl.root, impl.has_primary);
}

DisplayMode XrandrScreenDriver::Current() const {
    if (!impl_->display) return {};
    return impl_->ReadCurrent();
}

int XrandrScreenDriver::TestMode(const DisplayMode& mode) {
    return impl_->Change(mode, false);
}

int XrandrScreenDriver::SetMode(const DisplayMode& mode) {
    return impl_->Change(mode, true);
}

int XrandrScreenDriver::ConnectionFd() const {
    return impl_->display ? ConnectionNumber(impl_->display) : -1;
}

void XrandrScreenDriver::ProcessPendingEvents() {
    Impl& impl = *impl_;
    if (!impl.display) return;
    bool screen_changed = false;
    DisplayMode mode = impl.last_known;
    for (int round = 0; round < kMaxEventRounds && impl.Usable(); ++round) {
        while (impl.Usable() && XPending(impl.display) > 0) {
            XEvent event;
            XNextEvent(impl.display, &event);
            if (!impl.randr) continue;
            if (event.type == impl.event_base + RRScreenChangeNotify) screen_changed = true;
            if (event.type == impl.event_base + RRScreenChangeNotify ||
                event.type == impl.event_base + RRNotify) {
                XRRUpdateConfiguration(&event);
            }
        }
        mode = impl.ReadCurrent();
        // Reading the mode is a round trip that may have queued more events.
        if (!impl.Usable() || XEventsQueued(impl.display, QueuedAlready) == 0) break;
    }
    ReportGoneOnce(impl.errors.gone);
    if (impl.errors.gone) return;
    // A new screen, or another output in the same mode, is news as well.
    if (Announce(mode, screen_changed || impl.target_output != impl.last_notified_output))
        impl.last_notified_output = impl.target_output;
}

bool XrandrScreenDriver::WaitForEvent(int timeout_ms) {
    Impl& impl = *impl_;
    if (!impl.display) return false;
    if (!impl.Usable()) return true;
    if (XEventsQueued(impl.display, QueuedAfterFlush) > 0 || !impl.Usable()) return true;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    pollfd fd{ConnectionNumber(impl.display), POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready = poll(&fd, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

bool XrandrScreenDriver::ServerGone() const {
    return impl_->errors.gone;
}

bool XrandrScreenDriver::SurvivesLostServer() {
    return xrandr::SurvivesLostServer();
}

int XrandrScreenDriver::ErrorCount() const {
    return impl_->errors.count;
}

}  // namespace screen
