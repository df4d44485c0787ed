// Another connection a desktop host's loop sleeps on beside its own (a
// screen driver's), and what draining it found.
#pragma once

namespace host {

enum class SourceState {
    kQuiet,    // nothing for the framework
    kChanged,  // the wait ends with a kDisplayChanged event
    kGone      // the input ends: the server behind it went away
};

}  // namespace host
