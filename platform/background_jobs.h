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

// Work a thread may do while it waits for a job whose result it needs now,
// in short steps: each call does one and returns false once nothing is left
// (then it is not called again). Work that the waiting thread needs later
// anyway, and that gives the same result whoever does it and when.
void OfferWaitWork(std::function<bool()> step);
// Waits for `job`, doing the offered work meanwhile, one step at a time, in
// the order offered, while the job is not done.
void WaitDoingOfferedWork(const std::future<void>& job);

}  // namespace platform
