// libX11 and libXrandr are loaded when the program first calls them, not
// when it starts: a native Wayland client never does, and the two bring
// seven more libraries whose loading counts before the first frame. On X11
// SDL loads libX11 itself anyway. Each Xlib and RandR function the program
// calls is defined here and forwards to the library's own.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/lazy_library.h"

namespace {

void* X11() {
    static void* const handle = platform::OpenLibrary("libX11.so.6");
    return handle;
}

void* Xrandr() {
    static void* const handle = platform::OpenLibrary("libXrandr.so.2");
    return handle;
}

}  // namespace

// Without the library a call gives `fallback`: no display, no extension,
// nothing read, so every caller takes its path for a missing X server.
LAZY_FORWARD(X11, Display*, XOpenDisplay, (const char* name), (name), nullptr)
LAZY_FORWARD(X11, int, XCloseDisplay, (Display * d), (d), 0)
LAZY_FORWARD(X11, int, XEventsQueued, (Display * d, int mode), (d, mode), 0)
LAZY_FORWARD(X11, int, XPending, (Display * d), (d), 0)
LAZY_FORWARD(X11, int, XNextEvent, (Display * d, XEvent* event), (d, event), 0)
LAZY_FORWARD(X11, int, XSync, (Display * d, Bool discard), (d, discard), 0)
LAZY_FORWARD(X11, int, XFree, (void* data), (data), 0)
LAZY_FORWARD(X11, char*, XGetAtomName, (Display * d, Atom atom), (d, atom), nullptr)
LAZY_FORWARD(X11, Atom, XInternAtom, (Display * d, const char* name, Bool only_if_exists),
             (d, name, only_if_exists), None)
LAZY_FORWARD(X11, Status, XGetGeometry,
             (Display * d, Drawable drawable, Window* root, int* x, int* y, unsigned int* width,
              unsigned int* height, unsigned int* border, unsigned int* depth),
             (d, drawable, root, x, y, width, height, border, depth), 0)
LAZY_FORWARD(X11, Status, XGetWindowAttributes, (Display * d, Window w, XWindowAttributes* attributes),
             (d, w, attributes), 0)
LAZY_FORWARD(X11, Bool, XTranslateCoordinates,
             (Display * d, Window from, Window to, int x, int y, int* to_x, int* to_y, Window* child),
             (d, from, to, x, y, to_x, to_y, child), False)
LAZY_FORWARD(X11, XPixmapFormatValues*, XListPixmapFormats, (Display * d, int* count), (d, count), nullptr)
LAZY_FORWARD(X11, Bool, XQueryExtension,
             (Display * d, const char* name, int* opcode, int* first_event, int* first_error),
             (d, name, opcode, first_event, first_error), False)
LAZY_FORWARD(X11, XErrorHandler, XSetErrorHandler, (XErrorHandler handler), (handler), nullptr)
LAZY_FORWARD(X11, XIOErrorHandler, XSetIOErrorHandler, (XIOErrorHandler handler), (handler), nullptr)
#ifdef CORVANE_HAVE_IO_ERROR_EXIT_HANDLER
LAZY_FORWARD_VOID(X11, XSetIOErrorExitHandler, (Display * d, XIOErrorExitHandler handler, void* data),
                  (d, handler, data))
#endif

LAZY_FORWARD(Xrandr, Bool, XRRQueryExtension, (Display * d, int* event_base, int* error_base),
             (d, event_base, error_base), False)
LAZY_FORWARD(Xrandr, Status, XRRQueryVersion, (Display * d, int* major, int* minor), (d, major, minor), 0)
LAZY_FORWARD_VOID(Xrandr, XRRSelectInput, (Display * d, Window w, int mask), (d, w, mask))
LAZY_FORWARD(Xrandr, int, XRRUpdateConfiguration, (XEvent * event), (event), 0)
LAZY_FORWARD(Xrandr, XRRScreenResources*, XRRGetScreenResources, (Display * d, Window w), (d, w), nullptr)
LAZY_FORWARD(Xrandr, XRRScreenResources*, XRRGetScreenResourcesCurrent, (Display * d, Window w), (d, w),
             nullptr)
LAZY_FORWARD_VOID(Xrandr, XRRFreeScreenResources, (XRRScreenResources * resources), (resources))
LAZY_FORWARD(Xrandr, XRROutputInfo*, XRRGetOutputInfo,
             (Display * d, XRRScreenResources* resources, RROutput output), (d, resources, output), nullptr)
LAZY_FORWARD_VOID(Xrandr, XRRFreeOutputInfo, (XRROutputInfo * info), (info))
LAZY_FORWARD(Xrandr, XRRCrtcInfo*, XRRGetCrtcInfo, (Display * d, XRRScreenResources* resources, RRCrtc crtc),
             (d, resources, crtc), nullptr)
LAZY_FORWARD_VOID(Xrandr, XRRFreeCrtcInfo, (XRRCrtcInfo * info), (info))
LAZY_FORWARD(Xrandr, RROutput, XRRGetOutputPrimary, (Display * d, Window w), (d, w), None)
LAZY_FORWARD(Xrandr, int, XRRGetOutputProperty,
             (Display * d, RROutput output, Atom property, long offset, long length, Bool del, Bool pending,
              Atom type, Atom* actual_type, int* actual_format, unsigned long* count, unsigned long* after,
              unsigned char** data),
             (d, output, property, offset, length, del, pending, type, actual_type, actual_format, count,
              after, data),
             BadImplementation)
LAZY_FORWARD(Xrandr, Status, XRRGetScreenSizeRange,
             (Display * d, Window w, int* min_width, int* min_height, int* max_width, int* max_height),
             (d, w, min_width, min_height, max_width, max_height), 0)
LAZY_FORWARD_VOID(Xrandr, XRRSetScreenSize,
                  (Display * d, Window w, int width, int height, int mm_width, int mm_height),
                  (d, w, width, height, mm_width, mm_height))
LAZY_FORWARD(Xrandr, Status, XRRSetCrtcConfig,
             (Display * d, XRRScreenResources* resources, RRCrtc crtc, Time timestamp, int x, int y,
              RRMode mode, Rotation rotation, RROutput* outputs, int count),
             (d, resources, crtc, timestamp, x, y, mode, rotation, outputs, count), BadImplementation)
