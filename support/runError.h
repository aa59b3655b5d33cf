#pragma once
// The one way a run ends early: an error of the program's own type that
// carries what kind of error it is and the message for the user. Code that
// finds a state from which no result can be formed throws it; only a
// program's main turns it into console text and an exit status, so a caller
// that runs many configurations can report the error and carry on with the
// next one.

#include <stdexcept>
#include <string>
#include <string_view>

namespace kesp {

enum class ErrorKind {
    input,            // the input, a field file or settings built in code cannot be used
    refused,          // a run or scan refused as its input stands (for example, warnings under /strict)
    physics,          // the physics or the damage model gives no result for these settings
    nonFiniteResult,  // a result is not a finite number
    io,               // a file cannot be read, written or made
    resources,        // memory cannot be had
    usage,            // the library used out of order (a run moved from, a second simulation)
    internal,         // a fault of the program itself (an unexpected exception)
};

class RunError : public std::runtime_error {
public:
    // `detail` explains the message further (the program writes it on the
    // standard error stream); empty when the message says it all.
    RunError(ErrorKind kind, const std::string& message, std::string detail = {})
        : std::runtime_error(message), kind_(kind), detail_(std::move(detail))
    {
    }

    ErrorKind kind() const { return kind_; }
    const std::string& detail() const { return detail_; }

private:
    ErrorKind kind_;
    std::string detail_;
};

// A segment without any lesion to cluster: the engine adds the cause.
class MissingDamage : public RunError {
public:
    MissingDamage() : RunError(ErrorKind::physics, "Damage information for this DNA segment is missing") {}
};

// The kind as one lower-case word ("input", "non_finite_result"), as the
// Python module and the web page name it.
std::string_view errorKindWord(ErrorKind kind);

// Ends the run with the message (throws RunError of this kind).
[[noreturn]] void stopRun(ErrorKind kind, const std::string& message);

}  // namespace kesp
