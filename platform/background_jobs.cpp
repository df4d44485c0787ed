#include "platform/background_jobs.h"

#include <chrono>
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
    std::deque<std::function<bool()>> wait_work;
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

void OfferWaitWork(std::function<bool()> step) {
    if (!step) return;
    BackgroundPart& part = TheContext().GetShared<BackgroundPart>();
    std::lock_guard lock(part.mutex);
    part.wait_work.push_back(std::move(step));
}

void WaitDoingOfferedWork(const std::future<void>& job) {
    if (!job.valid()) return;
    BackgroundPart& part = TheContext().GetShared<BackgroundPart>();
    while (job.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        std::function<bool()> step;
        {
            std::lock_guard lock(part.mutex);
            if (part.wait_work.empty()) break;
            step = std::move(part.wait_work.front());
            part.wait_work.pop_front();
        }
        // Put back in front while it has more, so that work keeps its order.
        if (step()) {
            std::lock_guard lock(part.mutex);
            part.wait_work.push_front(std::move(step));
        }
    }
    job.wait();
}

}  // namespace platform
