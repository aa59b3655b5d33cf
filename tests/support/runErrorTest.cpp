#include "support/orderlyStop.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

namespace kesp {
namespace {

struct StopSeen {
    std::string message;
    int exitStatus = 0;
};

void throwStop(std::string_view message, int exitStatus)
{
    throw StopSeen{std::string(message), exitStatus};
}

void ignoreStop(std::string_view, int) {}

TEST(OrderlyStopTest, withoutHandlerWritesMessageAndExits)
{
    EXPECT_EXIT(stopRun(std::cerr, "Field file f.txt is broken.", 3), ::testing::ExitedWithCode(3),
                "Field file f.txt is broken.");
}

TEST(OrderlyStopTest, handlerThatReturnsStillEndsTheRun)
{
    EXPECT_EXIT(
        {
            setStopHandler(ignoreStop);
            stopRun(std::cerr, "stopped", 2);
        },
        ::testing::ExitedWithCode(2), "stopped");
}

TEST(OrderlyStopTest, handlerSeesMessageAfterItWasWritten)
{
    setStopHandler(throwStop);
    std::ostringstream out;
    try {
        stopRun(out, "no more cells", 1);
    } catch (const StopSeen& stop) {
        EXPECT_EQ(stop.message, "no more cells");
        EXPECT_EQ(stop.exitStatus, 1);
    }
    setStopHandler(nullptr);
    EXPECT_EQ(out.str(), "no more cells\n");
}

}  // namespace
}  // namespace kesp
