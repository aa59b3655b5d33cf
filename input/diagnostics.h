#pragma once
/// \file
/// What the input reader could not take as written or had to change, as lines
/// in the form compilers use ("run.inp:5: warning: RADX: ..."), so that
/// editors can jump to them. The reading itself stays lenient: a diagnostic
/// never changes what is read.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kesp {

/// How much a diagnostic matters: whether "/strict" refuses the run for it.
enum class Severity {
    warning,        ///< something was not taken as written ("/strict" refuses the run)
    resultWarning,  ///< taken as written, but the report will show figures that look sounder than they
                    ///< are (a run of 1 cell prints every SEM as 0); shown and refused by "/strict" like a
                    ///< warning, while a scan, which checks its own cell counts, leaves it to that check
    note,           ///< something worth knowing that changes nothing
};

/// One thing said about the input: where, how much it matters, and what.
struct Diagnostic {
    std::string file;      ///< the file the line is in; empty for settings made in code
    int line = 0;          ///< counted from 1; 0 when it concerns the whole file
    Severity severity = Severity::warning;  ///< whether it is a warning, a warning of the results or a note
    std::string block;     ///< the block key ("RADX:"), empty when none
    std::string message;   ///< what was found and what the reader made of it, for the user

    /// Equal when place, severity, block and message are equal.
    bool operator==(const Diagnostic&) const = default;
};

/// The severity as one lower-case word ("warning", "result_warning", "note"),
/// as the Python module and the web page name it.
std::string_view severityWord(Severity severity);

/// "file:line: warning: BLOCK: message" (without the file, line or block when they
/// are not known).
std::string formatDiagnostic(const Diagnostic& diagnostic);

/// A number as a diagnostic quotes it: up to 6 significant digits.
std::string formatValue(double value);

/// The text in double quotes, as a diagnostic quotes what a file holds.
inline std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

/// The diagnostics of one input file and its field files, in the order they
/// were found, and the line each block of the input file was read from.
class InputDiagnostics {
public:
    /// No diagnostics yet, for the input file of this name (as diagnostics
    /// about its lines name it).
    explicit InputDiagnostics(std::string inputFileName) : inputFileName_(std::move(inputFileName)) {}

    /// The name of the input file, as its diagnostics give it.
    const std::string& inputFileName() const { return inputFileName_; }

    /// A warning about a line of the input file (line 0: the whole file).
    void warn(int line, std::string_view block, std::string message);
    /// A note about a line of the input file: worth knowing, changes nothing.
    void note(int line, std::string_view block, std::string message);
    /// About what the report of the input will show (Severity::resultWarning).
    void warnOfResult(int line, std::string_view block, std::string message);
    /// A warning about a line of another file (a field file).
    void warnIn(const std::string& file, int line, std::string_view block, std::string message);

    /// Every diagnostic so far, in the order they were found.
    const std::vector<Diagnostic>& list() const { return list_; }
    /// Whether any diagnostic is a warning of either kind (what "/strict"
    /// refuses); notes do not count.
    bool hasWarnings() const;

    /// Records the line a block was read from; 0 when the block is absent,
    /// -1 when the run does not read it.
    void blockTaken(std::string_view block, int line) { takenLines_[std::string(block)] = line; }
    /// The line recorded for the block by blockTaken(); 0 also for a block
    /// never recorded.
    int takenLine(std::string_view block) const;

private:
    std::string inputFileName_;
    std::vector<Diagnostic> list_;
    std::map<std::string, int, std::less<>> takenLines_;
};

/// One line of a file, for the checks that may find something there.
struct DiagnosticPlace {
    InputDiagnostics& diagnostics;  ///< where a warning about the line goes
    std::string file;               ///< the file the line is in
    int line;                       ///< the line, counted from 1; 0 for the whole file
    std::string_view block;         ///< the block key the line belongs to ("RADX:"), empty when none

    /// A warning about this line of this file.
    void warn(std::string message) const { diagnostics.warnIn(file, line, block, std::move(message)); }
};

}  // namespace kesp
