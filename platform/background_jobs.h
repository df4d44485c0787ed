// Start-up work that need not hold up the main thread, run one job after
// another on a single thread of its own, in the order it was asked for.
// Started together, such jobs would take both cores of a small machine from
// the main thread; in a queue they leave it one, and the first job asked
// for (the one the main thread needs first) finishes soonest.
#pragma once

#include <functional>
#include <future>

namespace platform {

// Queues job; the future is ready once it has run. The thread is started
// when a job is queued and none runs, and ends when the queue is empty. A
// job must not wait for a job queued after it.
std::future<void> RunInBackground(std::function<void()> job);

}  // namespace platform
