#include "tests/xserver/x_client.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace xtest {

struct XClient::Impl {
    Display* display = nullptr;
    Window root = 0;
};

XClient::XClient(const std::string& display_name) : impl_(new Impl) {
    impl_->display = XOpenDisplay(display_name.c_str());
    if (impl_->display) impl_->root = DefaultRootWindow(impl_->display);
}

XClient::~XClient() {
    if (impl_->display) XCloseDisplay(impl_->display);
    delete impl_;
}

bool XClient::Connected() const {
    return impl_->display != nullptr;
}

unsigned long XClient::CreateWindow(int x, int y, int width, int height) {
    if (!impl_->display || width <= 0 || height <= 0) return 0;
    const Window window = XCreateSimpleWindow(impl_->display, impl_->root, x, y, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, 0);
    XMapWindow(impl_->display, window);
    XSync(impl_->display, False);
    return window;
}

void XClient::DestroyWindow(unsigned long window) {
    if (!impl_->display) return;
    XDestroyWindow(impl_->display, window);
    XSync(impl_->display, False);
}

unsigned long XClient::ModeNamed(const std::string& name) {
    if (!impl_->display) return 0;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(impl_->display, impl_->root);
    if (!res) return 0;
    unsigned long id = 0;
    for (int i = 0; i < res->nmode && !id; ++i) {
        if (name == res->modes[i].name) id = res->modes[i].id;
    }
    XRRFreeScreenResources(res);
    return id;
}

int XClient::FlipModes(unsigned long first, unsigned long second, int count) {
    if (!impl_->display) return 0;
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(impl_->display, impl_->root);
    if (!res || res->ncrtc == 0) {
        if (res) XRRFreeScreenResources(res);
        return 0;
    }
    const RRCrtc crtc = res->crtcs[0];
    XRRCrtcInfo* info = XRRGetCrtcInfo(impl_->display, res, crtc);
    int accepted = 0;
    for (int i = 0; info && i < count; ++i) {
        // Each change needs the configuration time of the one before.
        XRRScreenResources* now = XRRGetScreenResourcesCurrent(impl_->display, impl_->root);
        if (!now) break;
        const Status status =
            XRRSetCrtcConfig(impl_->display, now, crtc, CurrentTime, 0, 0, i % 2 == 0 ? first : second,
                             RR_Rotate_0, info->outputs, info->noutput);
        XRRFreeScreenResources(now);
        if (status == RRSetConfigSuccess) ++accepted;
    }
    if (info) XRRFreeCrtcInfo(info);
    XRRFreeScreenResources(res);
    XSync(impl_->display, False);
    return accepted;
}

}  // namespace xtest
