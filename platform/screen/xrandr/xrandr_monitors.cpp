#include "platform/screen/xrandr/xrandr_monitors.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <memory>

namespace screen::xrandr {
namespace {

// 64 KiB in the 32-bit units property requests count in.
constexpr long kMaxEdidLongs = 64 * 1024 / 4;

struct FreeResources {
    void operator()(XRRScreenResources* p) const { XRRFreeScreenResources(p); }
};
struct FreeOutput {
    void operator()(XRROutputInfo* p) const { XRRFreeOutputInfo(p); }
};
struct FreeCrtc {
    void operator()(XRRCrtcInfo* p) const { XRRFreeCrtcInfo(p); }
};

// The bytes of an 8-bit output property; empty when there is none.
std::vector<std::uint8_t> OutputBytes(Display* display, RROutput output, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<std::uint8_t> bytes;
    if (XRRGetOutputProperty(display, output, property, 0, kMaxEdidLongs, False, False, AnyPropertyType,
                             &type, &format, &count, &after, &data) == Success &&
        data && format == 8) {
        bytes.assign(data, data + count);
    }
    if (data) XFree(data);
    return bytes;
}

// RandR's ConnectorType property: an atom naming the kind ("VGA", "Panel", ...).
ConnectorType ConnectorProperty(Display* display, RROutput output) {
    const Atom property = XInternAtom(display, "ConnectorType", True);
    if (property == None) return ConnectorType::kUnknown;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ConnectorType result = ConnectorType::kUnknown;
    if (XRRGetOutputProperty(display, output, property, 0, 1, False, False, XA_ATOM, &type, &format, &count,
                             &after, &data) == Success &&
        data && type == XA_ATOM && format == 32 && count == 1) {
        const Atom kind = static_cast<Atom>(*reinterpret_cast<unsigned long*>(data));
        if (char* name = XGetAtomName(display, kind)) {
            result = ConnectorFromName(name);
            XFree(name);
        }
    }
    if (data) XFree(data);
    return result;
}

}  // namespace

ModeTiming TimingOf(const XRRModeInfo& info) {
    return {static_cast<int>(info.width),
            static_cast<int>(info.height),
            info.dotClock,
            info.hTotal,
            info.vTotal,
            (info.modeFlags & RR_Interlace) != 0,
            (info.modeFlags & RR_DoubleScan) != 0};
}

std::vector<Monitor> ReadMonitors(Display* display, Window root, bool has_primary,
                                  const std::string& pnp_ids_path) {
    std::vector<Monitor> monitors;
    // Asks the server to probe the outputs: the connection states it keeps
    // otherwise may be older than the last monitor plugged in.
    std::unique_ptr<XRRScreenResources, FreeResources> res(XRRGetScreenResources(display, root));
    if (!res) return monitors;
    const RROutput primary = has_primary ? XRRGetOutputPrimary(display, root) : None;
    const Atom edid_atom = XInternAtom(display, RR_PROPERTY_RANDR_EDID, False);

    for (int i = 0; i < res->noutput; ++i) {
        std::unique_ptr<XRROutputInfo, FreeOutput> output(
            XRRGetOutputInfo(display, res.get(), res->outputs[i]));
        if (!output || output->connection == RR_Disconnected) continue;
        std::unique_ptr<XRRCrtcInfo, FreeCrtc> crtc;
        if (output->crtc != None) crtc.reset(XRRGetCrtcInfo(display, res.get(), output->crtc));
        const bool active = crtc && crtc->mode != None;
        if (output->connection != RR_Connected && !active) continue;

        Monitor m;
        m.name.assign(output->name, static_cast<std::size_t>(std::max(output->nameLen, 0)));
        m.primary = res->outputs[i] == primary;
        m.connector = ConnectorFromName(m.name);
        if (m.connector == ConnectorType::kUnknown) m.connector = ConnectorProperty(display, res->outputs[i]);
        if (active) {
            m.active = true;
            m.x = crtc->x;
            m.y = crtc->y;
            m.current.width = static_cast<int>(crtc->width);
            m.current.height = static_cast<int>(crtc->height);
            for (int k = 0; k < res->nmode; ++k) {
                if (res->modes[k].id == crtc->mode) m.current.refresh = RefreshHz(TimingOf(res->modes[k]));
            }
        }
        AttachEdid(m, OutputBytes(display, res->outputs[i], edid_atom), pnp_ids_path);
        monitors.push_back(std::move(m));
    }
    return monitors;
}

}  // namespace screen::xrandr
