#include "kesp/input/diagnostics.h"

#include <algorithm>
#include <sstream>

namespace kesp {

std::string_view severityWord(Severity severity)
{
    switch (severity) {
        case Severity::warning:
            return "warning";
        case Severity::resultWarning:
            return "result_warning";
        case Severity::note:
            return "note";
    }
    return "warning";
}

std::string formatDiagnostic(const Diagnostic& diagnostic)
{
    // Settings made in code have no file: their lines start with the severity.
    std::string text = diagnostic.file.empty() ? std::string() : diagnostic.file + ":";
    if (diagnostic.line > 0) {
        text += std::to_string(diagnostic.line) + ":";
    }
    if (!text.empty()) {
        text += " ";
    }
    text += diagnostic.severity == Severity::note ? "note: " : "warning: ";
    if (!diagnostic.block.empty()) {
        text += diagnostic.block + " ";
    }
    return text + diagnostic.message;
}

std::string formatValue(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

void InputDiagnostics::warn(int line, std::string_view block, std::string message)
{
    warnIn(inputFileName_, line, block, std::move(message));
}

void InputDiagnostics::note(int line, std::string_view block, std::string message)
{
    list_.push_back({inputFileName_, line, Severity::note, std::string(block), std::move(message)});
}

void InputDiagnostics::warnOfResult(int line, std::string_view block, std::string message)
{
    list_.push_back({inputFileName_, line, Severity::resultWarning, std::string(block), std::move(message)});
}

void InputDiagnostics::warnIn(const std::string& file, int line, std::string_view block, std::string message)
{
    list_.push_back({file, line, Severity::warning, std::string(block), std::move(message)});
}

bool InputDiagnostics::hasWarnings() const
{
    return std::any_of(list_.begin(), list_.end(),
                       [](const Diagnostic& d) { return d.severity != Severity::note; });
}

int InputDiagnostics::takenLine(std::string_view block) const
{
    const auto found = takenLines_.find(block);
    return found == takenLines_.end() ? 0 : found->second;
}

}  // namespace kesp
