#include "kesp/support/threadStart.h"

#include <gtest/gtest.h>

#include <signal.h>

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
            const std::vector<JoiningThread> threads = startThreads(count, [&](unsigned k) {
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

// A signal sent to the process must reach the thread whose handler decides
// what it means, never a worker.
TEST(ThreadStartTest, theThreadsBlockInterruptsAndTheCallerKeepsItsSignalMask)
{
    sigset_t before;
    pthread_sigmask(SIG_SETMASK, nullptr, &before);
    std::atomic<int> blocked{0};
    {
        const std::vector<JoiningThread> threads = startThreads(3, [&blocked](unsigned) {
            sigset_t mask;
            pthread_sigmask(SIG_SETMASK, nullptr, &mask);
            if (sigismember(&mask, SIGINT) == 1 && sigismember(&mask, SIGTERM) == 1) {
                blocked.fetch_add(1);
            }
        });
    }
    EXPECT_EQ(blocked.load(), 3);
    sigset_t after;
    pthread_sigmask(SIG_SETMASK, nullptr, &after);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        EXPECT_EQ(sigismember(&after, signal), sigismember(&before, signal)) << "signal " << signal;
    }
}

}  // namespace
}  // namespace kesp
