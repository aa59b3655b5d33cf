#pragma once
// The message with which a step ends the run, for tests of the ways a run
// stops.

#include <gtest/gtest.h>

#include <string>

#include "kesp/support/runError.h"

namespace kesp::test {

// Runs the step and returns the message of the RunError it throws, after
// checking that the error is a failure of the physics or the damage model
// (not of the input or of the library's use). A step that returns normally
// is a test failure and gives an empty message.
template <typename Step>
std::string runErrorMessage(Step&& step)
{
    try {
        step();
    } catch (const RunError& error) {
        EXPECT_TRUE(error.kind() == ErrorKind::physics || error.kind() == ErrorKind::nonFiniteResult)
            << static_cast<int>(error.kind());
        return error.what();
    }
    ADD_FAILURE() << "the step did not stop the run";
    return {};
}

}  // namespace kesp::test
