#include "kesp/support/parallelFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace kesp {
namespace {

TEST(ParallelForTest, everyTaskRunsOnceOnAsManyThreadsAsAskedAndNoMore)
{
    struct Case {
        std::size_t count;
        unsigned threads;
        std::size_t mostThreads;  // threads that may take part
    };
    for (const Case& c : {Case{0, 4, 1}, Case{1, 4, 1}, Case{5, 1, 1}, Case{100, 0, 1}, Case{100, 3, 3},
                          Case{2, 8, 2}}) {
        SCOPED_TRACE(std::to_string(c.count) + " tasks on " + std::to_string(c.threads) + " threads");
        std::vector<std::atomic<int>> runs(c.count);
        std::mutex mutex;
        std::set<std::thread::id> workers;
        parallelFor(c.count, c.threads, [&](std::size_t k) {
            runs[k].fetch_add(1);
            const std::lock_guard<std::mutex> lock(mutex);
            workers.insert(std::this_thread::get_id());
        });
        for (std::size_t k = 0; k < c.count; ++k) {
            EXPECT_EQ(runs[k].load(), 1) << "task " << k;
        }
        EXPECT_LE(workers.size(), c.mostThreads);
    }
}

TEST(ParallelForTest, oneThreadRunsTheTasksInOrderOnTheCallerAndAStopHandsOutNoMore)
{
    std::vector<std::size_t> order;
    const std::thread::id caller = std::this_thread::get_id();
    bool onCaller = true;
    parallelFor(
        10, 1,
        [&](std::size_t k) {
            order.push_back(k);
            onCaller = onCaller && std::this_thread::get_id() == caller;
        },
        [&order] { return order.size() >= 4; });
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_TRUE(onCaller);
}

}  // namespace
}  // namespace kesp
