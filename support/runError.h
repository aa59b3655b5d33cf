#pragma once
/// \file
/// The one way a run ends early: an error of the program's own type that
/// carries what kind of error it is and the message for the user. Code that
/// finds a state from which no result can be formed throws it; only a
/// program's main turns it into console text and an exit status, so a caller
/// that runs many configurations can report the error and carry on with the
/// next one.

#include <stdexcept>
#include <string>
#include <string_view>

namespace kesp {

/// What kind of error ended a run: the caller's cue for what to do about it
/// (the Python module and the web page name it by errorKindWord()).
enum class ErrorKind {
    input,            ///< the input, a field file or settings built in code cannot be used
    refused,          ///< a run or scan refused as its input stands (for example, warnings under /strict)
    physics,          ///< the physics or the damage model gives no result for these settings
    nonFiniteResult,  ///< a result is not a finite number
    io,               ///< a file cannot be read, written or made
    resources,        ///< memory cannot be had
    usage,            ///< the library used out of order (a run moved from, a second simulation)
    internal,         ///< a fault of the program itself (an unexpected exception)
};

/// The error that ends a run: its kind, the message for the user (what())
/// and, where the message needs it, a further explanation.
class RunError : public std::runtime_error {
public:
    /// An error of this kind with this message. `detail` explains the message
    /// further (the program writes it on the standard error stream); empty
    /// when the message says it all.
    RunError(ErrorKind kind, const std::string& message, std::string detail = {})
        : std::runtime_error(message), kind_(kind), detail_(std::move(detail))
    {
    }

    /// What kind of error this is.
    ErrorKind kind() const { return kind_; }
    /// The further explanation of the message; empty when there is none.
    const std::string& detail() const { return detail_; }

private:
    ErrorKind kind_;
    std::string detail_;
};

/// A segment without any lesion to cluster: the engine adds the cause.
/// A physics error (ErrorKind::physics) with a fixed message.
class MissingDamage : public RunError {
public:
    /// The error of a segment without damage information.
    MissingDamage() : RunError(ErrorKind::physics, "Damage information for this DNA segment is missing") {}
};

/// The kind as one lower-case word ("input", "non_finite_result"), as the
/// Python module and the web page name it.
std::string_view errorKindWord(ErrorKind kind);

/// Ends the run with the message (throws RunError of this kind).
[[noreturn]] void stopRun(ErrorKind kind, const std::string& message);

}  // namespace kesp
