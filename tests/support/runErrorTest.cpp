#include "support/runError.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace kesp {
namespace {

TEST(RunErrorTest, stopRunThrowsTheMessageAndExitStatus)
{
    struct Case {
        std::string message;
        int exitStatus;
    };
    const std::vector<Case> cases = {
        {"Field file f.txt is broken.", 3},
        {"stopped", 2},
        {"no more cells", exitFailure},
    };
    for (const Case& c : cases) {
        try {
            stopRun(c.message, c.exitStatus);
            ADD_FAILURE() << "stopRun returned for " << c.message;
        } catch (const RunError& error) {
            EXPECT_STREQ(error.what(), c.message.c_str());
            EXPECT_EQ(error.exitStatus(), c.exitStatus) << c.message;
        }
    }
}

TEST(RunErrorTest, defaultStatusIsFailureAndNothingIsWritten)
{
    // The library only throws: the message reaches the console through the
    // program's main, never directly.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
        stopRun("no more cells");
        ADD_FAILURE() << "stopRun returned";
    } catch (const std::runtime_error& error) {
        // Callers that know only the standard exceptions still see the message.
        EXPECT_STREQ(error.what(), "no more cells");
        const auto* runError = dynamic_cast<const RunError*>(&error);
        ASSERT_NE(runError, nullptr);
        EXPECT_EQ(runError->exitStatus(), 1);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace kesp
