// corvane-adjust as a native Wayland client.
#pragma once

namespace host {
class WaylandHost;
}

namespace adjust {

// Runs the wizard in `host` (open) with the screen driver the compositor
// allows; returns the exit status. Ends the process with status 1 when the
// compositor goes away.
int RunOnWayland(host::WaylandHost& host, const char* program, char* argv0);

}  // namespace adjust
