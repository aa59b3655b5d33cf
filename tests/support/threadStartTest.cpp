#include "support/threadStart.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace kesp {
namespace {

TEST(ThreadStartTest, eachBodyRunsOnceOnAThreadOfItsOwnAndIsJoinedWithTheThreads)
{
    for (const unsigned count : {0U, 1U, 3U, 8U}) {
        SCOPED_TRACE(std::to_string(count) + " threads");
        std::vector<std::atomic<int>> runs(count);
        std::vector<std::thread::id> ids(count);
        {
            const std::vector<std::jthread> threads = startThreads(count, [&](unsigned k) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));  // still running at the end of the block
                ids[k] = std::this_thread::get_id();
                runs[k].fetch_add(1);
            });
            EXPECT_EQ(threads.size(), count);
        }
        for (unsigned k = 0; k < count; ++k) {
            EXPECT_EQ(runs[k].load(), 1) << "body " << k;
            EXPECT_NE(ids[k], std::this_thread::get_id()) << "body " << k;
            for (unsigned j = 0; j < k; ++j) {
                EXPECT_NE(ids[k], ids[j]) << "bodies " << j << " and " << k;
            }
        }
    }
}

}  // namespace
}  // namespace kesp
