// A screen driver with a connection of its own to the display server or the
// compositor, and the shape the host's event loop needs of it.
#pragma once

#include <string>

#include "platform/screen/driver_core.h"

namespace screen {

class EventScreenDriver : public DriverCore {
public:
    // poll() this for reading, then call ProcessPendingEvents (also before
    // blocking: driver calls may have read events already). -1 when closed.
    virtual int ConnectionFd() const = 0;
    // Reads what arrived and announces a changed mode once.
    virtual void ProcessPendingEvents() = 0;
    // The other side went away; the driver keeps answering from the last
    // mode it knew and every change fails. The gone callback runs once, from
    // the call that found it.
    virtual bool ServerGone() const = 0;
    // The output to read and change from now on: the window moved there
    // because its own went away. A driver that cannot tell outputs apart
    // ignores it.
    virtual void ActOn(const std::string& output) { (void)output; }
};

}  // namespace screen
