#include "platform/background_jobs.h"

#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/context.h"

namespace platform {
namespace {

struct BackgroundPart : Part {
    static constexpr PartId kId = PartId::kBackground;
    std::mutex mutex;
    std::deque<std::packaged_task<void()>> queue;
    bool running = false;  // a thread is draining the queue
};

void Drain(BackgroundPart& part) {
    for (;;) {
        std::packaged_task<void()> job;
        {
            std::lock_guard lock(part.mutex);
            if (part.queue.empty()) {
                part.running = false;
                return;
            }
            job = std::move(part.queue.front());
            part.queue.pop_front();
        }
        job();
    }
}

}  // namespace

std::future<void> RunInBackground(std::function<void()> job) {
    // A process part: the context is never destroyed, so the thread may
    // still be leaving Drain while the program exits.
    BackgroundPart& part = TheContext().GetShared<BackgroundPart>();
    std::packaged_task<void()> task(std::move(job));
    std::future<void> done = task.get_future();
    std::lock_guard lock(part.mutex);
    part.queue.push_back(std::move(task));
    if (!part.running) {
        part.running = true;
        std::thread([&part] { Drain(part); }).detach();
    }
    return done;
}

}  // namespace platform
