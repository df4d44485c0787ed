// Start-up work queued for the background thread runs one job at a time, in
// the order it was queued, also when the queue ran empty in between, and a
// job that fails leaves the ones after it alone. A thread waiting for a job
// does the work offered for such waits meanwhile.
#include "platform/background_jobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
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

TEST(BackgroundJobs, AWaitDoesTheOfferedWorkInOrderUntilTheJobIsDone) {
    // The job ends once the waiting thread has done three steps of the first
    // offer; a job that never sees them would end the wait after a second.
    std::atomic<int> first_steps{0};
    std::vector<std::string> log;
    platform::OfferWaitWork([&] {
        log.push_back("first");
        return ++first_steps < 5;
    });
    platform::OfferWaitWork([&] {
        log.push_back("second");
        return false;
    });
    std::future<void> job = platform::RunInBackground([&first_steps] {
        for (int i = 0; i < 1000 && first_steps < 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    platform::WaitDoingOfferedWork(job);
    EXPECT_EQ(job.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "first");
    EXPECT_EQ(log[1], "first");
    EXPECT_EQ(log[2], "first");

    // What is left is done in a later wait, each step that is done no more.
    std::future<void> blocked;
    std::promise<void> release;
    blocked = platform::RunInBackground([&release] { release.get_future().wait(); });
    platform::OfferWaitWork([&release, &log] {
        log.push_back("last");
        release.set_value();
        return false;
    });
    platform::WaitDoingOfferedWork(blocked);
    const std::size_t firsts = static_cast<std::size_t>(std::count(log.begin(), log.end(), "first"));
    EXPECT_EQ(firsts, 5u);
    EXPECT_EQ(std::count(log.begin(), log.end(), "second"), 1);
    EXPECT_EQ(log.back(), "last");

    // A job already done takes no work (this offer outlives the test).
    auto calls = std::make_shared<std::atomic<int>>(0);
    platform::OfferWaitWork([calls] {
        ++*calls;
        return false;
    });
    std::future<void> done = platform::RunInBackground([] {});
    done.wait();
    platform::WaitDoingOfferedWork(done);
    EXPECT_EQ(calls->load(), 0);
}

}  // namespace
