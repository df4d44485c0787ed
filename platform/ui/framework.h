// The framework as a whole: its host, its loop and what tests and tools may
// ask about it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ui/wintypes.h"

namespace host {
class Host;
}

namespace ui {

void SetHost(host::Host* host);
host::Host* GetHost();

// Runs the message loop until WM_QUIT (returns its code) or until the host
// has no more input (returns 0; InputExhausted() tells).
int RunMessageLoop();
// Handles what is queued, paints and presents, without waiting for input.
void PumpUntilIdle();

// The last loop ended because the host had no more input.
bool InputExhausted();
// Message boxes that ended because the input ran out before an answer.
int UnansweredMessageBoxes();

std::size_t LiveWindowCount();
std::size_t LiveSurfaceCount();
std::size_t QueuedMessageCount();

// Destroys every window and replaces the framework's run state (queue, host,
// capture, focus, open boxes, observers, the counters above) with a fresh
// one. The screen driver stays; platform::TheContext().NewRun() starts a
// whole fresh run.
void ResetState();

// The executable's file name without directory and extension; "app" when
// there is none.
std::string AppNameFromPath(const char* path);

}  // namespace ui
