// The wizard on a desktop host: the screen driver read in the host's loop,
// and the way out when the display server or the monitor goes away.
#pragma once

#include <functional>

#include "platform/host/event_source.h"
#include "platform/screen/event_driver.h"

namespace adjust {

class DesktopRun {
public:
    DesktopRun(host::DesktopHost& host, const char* program) : host_(host), program_(program) {}

    // Makes `driver` the program's screen driver and reads its connection
    // in the host's loop. After every read, while the server is there,
    // `follow` keeps the program on its monitor; false ends the input: the
    // monitor is gone and no other is left.
    void Attach(screen::EventScreenDriver& driver, std::function<bool()> follow);

    // Runs the wizard with the screen driver set and returns its exit
    // status. When the input ended because the display server or the monitor
    // went away, says so and ends the process with status 1.
    int Run(char* argv0);

private:
    host::DesktopHost& host_;
    const char* program_;
    bool monitor_lost_ = false;
};

}  // namespace adjust
