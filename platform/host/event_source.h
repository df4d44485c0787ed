// Another connection a desktop host's loop sleeps on beside its own (a
// screen driver's), what draining it found, and the desktop hosts that
// take such connections.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/host/host.h"

namespace host {

enum class SourceState {
    kQuiet,    // nothing for the framework
    kChanged,  // the wait ends with a kDisplayChanged event
    kGone      // the input ends: the server behind it went away
};

struct EventSource {
    int fd = -1;
    std::function<SourceState()> drain;
};

// A host on a user's desktop, whose loop sleeps on other connections too.
class DesktopHost : public Host {
public:
    // Another connection the loop sleeps on. `drain` runs before every sleep
    // and after every wake-up: kChanged ends the wait with a kDisplayChanged
    // event, kGone ends the input.
    virtual void AddSource(int fd, std::function<SourceState()> drain) = 0;
    // The input ended because the display server or a source went away, or
    // the window's monitor did and no other was left (then LostOutput names
    // it, where the host knows it).
    virtual bool SourceGone() const = 0;
    virtual std::string LostOutput() const { return {}; }
};

// Runs every source's drain; false when one went away. `changed` is set
// when one had something for the framework.
inline bool DrainSources(std::vector<EventSource>& sources, bool* changed) {
    for (EventSource& s : sources) {
        const SourceState state = s.drain();
        if (state == SourceState::kGone) return false;
        if (state == SourceState::kChanged) *changed = true;
    }
    return true;
}

}  // namespace host
