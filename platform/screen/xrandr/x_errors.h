// Keeps X errors and a vanished server from ending the process: the
// process-wide Xlib handlers record them for the connections registered here
// and pass every other connection on to whichever handlers came before.
#pragma once

#include <X11/Xlib.h>

namespace screen::xrandr {

struct ConnectionErrors {
    int count = 0;      // protocol errors seen
    int last_code = 0;  // error_code of the last one
    bool gone = false;  // the connection broke; Xlib must not be used for it again
};

// Records errors of `display` into `errors` until Unwatch. Without
// XSetIOErrorExitHandler (libX11 < 1.7) Xlib still exits when the server goes away.
void Watch(Display* display, ConnectionErrors* errors);
void Unwatch(Display* display);

// Whether this build of Xlib lets a watched connection break without exiting.
bool SurvivesLostServer();

}  // namespace screen::xrandr
