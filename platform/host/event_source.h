// Another connection a desktop host's loop sleeps on beside its own (a
// screen driver's), and what draining it found.
#pragma once

#include <functional>
#include <vector>

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
