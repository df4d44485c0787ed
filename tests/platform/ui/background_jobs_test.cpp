// Start-up work queued for the background thread runs one job at a time, in
// the order it was queued, also when the queue ran empty in between, and a
// job that fails leaves the ones after it alone.
#include "platform/background_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

struct Log {
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<int> most_at_once{0};

    void Run(int id) {
        const int now = ++running;
        int most = most_at_once.load();
        while (now > most && !most_at_once.compare_exchange_weak(most, now)) {
        }
        {
            std::lock_guard lock(mutex);
            order.push_back(id);
        }
        --running;
    }
};

TEST(BackgroundJobs, RunOneAtATimeInTheOrderQueued) {
    Log log;
    std::vector<std::future<void>> done;
    for (int id = 0; id < 50; ++id) done.push_back(platform::RunInBackground([&log, id] { log.Run(id); }));
    for (auto& f : done) f.get();
    std::vector<int> expected(50);
    for (int id = 0; id < 50; ++id) expected[static_cast<std::size_t>(id)] = id;
    EXPECT_EQ(log.order, expected);
    EXPECT_EQ(log.most_at_once.load(), 1);

    // The queue ran empty and its thread ended: a new job starts another.
    platform::RunInBackground([&log] { log.Run(50); }).get();
    ASSERT_EQ(log.order.size(), 51u);
    EXPECT_EQ(log.order.back(), 50);
}

TEST(BackgroundJobs, AFailingJobReportsThroughItsFutureAndTheNextStillRuns) {
    std::future<void> failing = platform::RunInBackground([] { throw std::runtime_error("no memory"); });
    bool ran = false;
    std::future<void> next = platform::RunInBackground([&ran] { ran = true; });
    EXPECT_THROW(failing.get(), std::runtime_error);
    next.get();
    EXPECT_TRUE(ran);
}

TEST(BackgroundJobs, AJobMayQueueAnother) {
    std::future<void> inner;
    std::atomic<bool> inner_ran{false};
    platform::RunInBackground([&] {
        inner = platform::RunInBackground([&inner_ran] { inner_ran = true; });
    }).get();
    inner.get();
    EXPECT_TRUE(inner_ran);
}

}  // namespace
