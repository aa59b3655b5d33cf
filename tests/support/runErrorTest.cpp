#include "kesp/support/runError.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "kesp/support/exitStatus.h"

namespace kesp {
namespace {

TEST(RunErrorTest, stopRunThrowsTheKindAndTheMessage)
{
    struct Case {
        ErrorKind kind;
        std::string message;
    };
    const std::vector<Case> cases = {
        {ErrorKind::input, "Field file f.txt is broken."},
        {ErrorKind::refused, "stopped"},
        {ErrorKind::nonFiniteResult, "no more cells"},
    };
    for (const Case& c : cases) {
        try {
            stopRun(c.kind, c.message);
            ADD_FAILURE() << "stopRun returned for " << c.message;
        } catch (const RunError& error) {
            EXPECT_STREQ(error.what(), c.message.c_str());
            EXPECT_EQ(error.kind(), c.kind) << c.message;
            EXPECT_TRUE(error.detail().empty());
        }
    }
}

TEST(RunErrorTest, nothingIsWrittenAndStandardCallersSeeTheMessage)
{
    // The library only throws: the message reaches the console through the
    // program's main, never directly.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
        stopRun(ErrorKind::physics, "no more cells");
        ADD_FAILURE() << "stopRun returned";
    } catch (const std::runtime_error& error) {
        // Callers that know only the standard exceptions still see the message.
        EXPECT_STREQ(error.what(), "no more cells");
        const auto* runError = dynamic_cast<const RunError*>(&error);
        ASSERT_NE(runError, nullptr);
        EXPECT_EQ(runError->kind(), ErrorKind::physics);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The programs end with 2 for a refusal and 1 for every other error.
TEST(RunErrorTest, onlyARefusalHasAnExitStatusOfItsOwn)
{
    const ErrorKind failures[] = {ErrorKind::input,     ErrorKind::physics, ErrorKind::nonFiniteResult,
                                  ErrorKind::io,        ErrorKind::resources, ErrorKind::usage,
                                  ErrorKind::internal};
    for (const ErrorKind kind : failures) {
        EXPECT_EQ(exitStatusFor(kind), 1) << static_cast<int>(kind);
    }
    EXPECT_EQ(exitStatusFor(ErrorKind::refused), 2);
    EXPECT_EQ(MissingDamage().kind(), ErrorKind::physics);
}

}  // namespace
}  // namespace kesp
