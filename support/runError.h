#pragma once
// The one way a run ends early: an error of the program's own type that
// carries the message for the user and the exit status. Code that finds a
// state from which no result can be formed throws it; only a program's main
// turns it into console text and an exit status, so a caller that runs many
// configurations can report the error and carry on with the next one.

#include <stdexcept>
#include <string>

namespace kesp {

inline constexpr int exitFailure = 1;
// The status of a run that "/strict" refuses because its input holds warnings.
inline constexpr int exitRefused = 2;

class RunError : public std::runtime_error {
public:
    // `detail` explains the message further (the program writes it on the
    // standard error stream); empty when the message says it all.
    explicit RunError(const std::string& message, int exitStatus = exitFailure, std::string detail = {})
        : std::runtime_error(message), exitStatus_(exitStatus), detail_(std::move(detail))
    {
    }

    int exitStatus() const { return exitStatus_; }
    const std::string& detail() const { return detail_; }

private:
    int exitStatus_;
    std::string detail_;
};

// A segment without any lesion to cluster: the engine adds the cause.
class MissingDamage : public RunError {
public:
    MissingDamage() : RunError("Damage information for this DNA segment is missing") {}
};

// Ends the run with the message (throws RunError).
[[noreturn]] void stopRun(const std::string& message, int exitStatus = exitFailure);

}  // namespace kesp
