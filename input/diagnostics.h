#pragma once
// What the input reader could not take as written or had to change, as lines
// in the form compilers use ("run.inp:5: warning: RADX: ..."), so that
// editors can jump to them. The reading itself stays lenient: a diagnostic
// never changes what is read.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kesp {

enum class Severity {
    warning,        // something was not taken as written ("/strict" refuses the run)
    resultWarning,  // taken as written, but the report will show figures that look sounder than they
                    // are (a run of 1 cell prints every SEM as 0); shown and refused by "/strict" like a
                    // warning, while a scan, which checks its own cell counts, leaves it to that check
    note,           // something worth knowing that changes nothing
};

struct Diagnostic {
    std::string file;      // the file the line is in
    int line = 0;          // counted from 1; 0 when it concerns the whole file
    Severity severity = Severity::warning;
    std::string block;     // the block key ("RADX:"), empty when none
    std::string message;

    bool operator==(const Diagnostic&) const = default;
};

// The severity as one lower-case word ("warning", "result_warning", "note"),
// as the Python module and the web page name it.
std::string_view severityWord(Severity severity);

// "file:line: warning: BLOCK: message" (without the file, line or block when they
// are not known).
std::string formatDiagnostic(const Diagnostic& diagnostic);

// A number as a diagnostic quotes it: up to 6 significant digits.
std::string formatValue(double value);

// The text in double quotes, as a diagnostic quotes what a file holds.
inline std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// The diagnostics of one input file and its field files.
class InputDiagnostics {
public:
    explicit InputDiagnostics(std::string inputFileName) : inputFileName_(std::move(inputFileName)) {}

    const std::string& inputFileName() const { return inputFileName_; }

    // About a line of the input file.
    void warn(int line, std::string_view block, std::string message);
    void note(int line, std::string_view block, std::string message);
    // About what the report of the input will show (Severity::resultWarning).
    void warnOfResult(int line, std::string_view block, std::string message);
    // About a line of another file (a field file).
    void warnIn(const std::string& file, int line, std::string_view block, std::string message);

    const std::vector<Diagnostic>& list() const { return list_; }
    // Warnings of either kind.
    bool hasWarnings() const;

    // The line each block was read from; 0 when the block is absent, -1 when
    // the run does not read it.
    void blockTaken(std::string_view block, int line) { takenLines_[std::string(block)] = line; }
    int takenLine(std::string_view block) const;

private:
    std::string inputFileName_;
    std::vector<Diagnostic> list_;
    std::map<std::string, int, std::less<>> takenLines_;
};

// One line of a file, for the checks that may find something there.
struct DiagnosticPlace {
    InputDiagnostics& diagnostics;
    std::string file;
    int line;
    std::string_view block;

    void warn(std::string message) const { diagnostics.warnIn(file, line, block, std::move(message)); }
};

}  // namespace kesp
