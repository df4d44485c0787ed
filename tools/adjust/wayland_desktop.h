// corvane-adjust as a native Wayland client.
#pragma once

#include <future>
#include <memory>
#include <string>

#include "platform/screen/compositor/compositor_driver.h"
#include "platform/screen/event_driver.h"

namespace host {
class WaylandHost;
}

namespace adjust {

// The compositor's screen driver for one output, or why there is none.
struct OpenedDriver {
    std::string output;  // as asked for (empty: the compositor's first or primary)
    std::unique_ptr<screen::EventScreenDriver> driver;
    screen::CompositorDriverKind kind = screen::CompositorDriverKind::kReadOnly;
    std::string error;
};

// Opens the screen driver for `output` on another thread, while the
// monitor is chosen and the window is made on this one: each waits for the
// compositor's answers.
std::future<OpenedDriver> StartOpeningDriver(const std::string& output);

// Runs the wizard in `host` (open) with the screen driver the compositor
// allows (`opening`, redone for the host's output when that is another);
// returns the exit status. Ends the process with status 1 when the
// compositor goes away.
int RunOnWayland(host::WaylandHost& host, std::future<OpenedDriver> opening, const char* program,
                 char* argv0);

}  // namespace adjust
