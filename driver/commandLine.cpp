#include "driver/commandLine.h"

#include "kesp/input/diagnostics.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// An argument is quoted in a warning up to this many characters.
constexpr std::size_t quotedArgumentLength = 60;
const std::string switchNames = "/no2, /nq, /2006, /strict and /json";
const std::string reportExtension = ".out";

// The input name with the last extension of its file name (the part after
// the last slash) replaced by ".out"; a dot in a directory name is no
// extension. A dot in column 1 of the file name (a name such as ".inp") is
// not taken as an extension either.
std::string reportNameFor(const std::string& inputName)
{
    const std::size_t slash = inputName.rfind('/');
    const std::size_t fileNameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = inputName.rfind('.');
    const std::size_t stemLength =
        (dot != std::string::npos && dot > fileNameStart) ? dot : trimmedLength(inputName);
    return std::string(trimmed(makeField(inputName.substr(0, stemLength) + reportExtension, fileNameLength)));
}

// The switch an argument names: its blanks and control characters deleted,
// in lower case, a GNU-style "--" read as "/" ("--strict" is "/strict").
std::string switchWord(std::string_view argument)
{
    std::string word(argument);
    squeezeBlanks(word);
    word.resize(trimmedLength(word));
    toLower(word, word.size());
    if (word.starts_with("--")) {
        word.replace(0, 2, "/");
    }
    return word;
}

// The argument as a warning quotes it: control characters shown as "?", a
// long one cut.
std::string quotedArgument(std::string_view argument)
{
    std::string shown(argument.substr(0, quotedArgumentLength));
    for (char& c : shown) {
        c = (static_cast<unsigned char>(c) < ' ' || c == '\x7F') ? '?' : c;
    }
    return inQuotes(shown + (argument.size() > quotedArgumentLength ? "..." : ""));
}

// Whether the word is a switch; a switch of the run is applied to the
// switches, the program's own (/json) is read by givenSwitches.
bool applyWord(const std::string& word, RunSwitches& switches)
{
    return word == jsonSwitch || applySwitchWord(word, switches);
}

// Applies the switch the argument names; a warning when it names none. An
// argument that holds only blanks (an empty variable in a script) is no
// switch and no slip.
void applySwitch(std::string_view argument, RunSwitches& switches, std::vector<std::string>& warnings)
{
    const std::string word = switchWord(argument);
    if (word.empty() || applyWord(word, switches)) {
        return;
    }
    warnings.push_back("command line: warning: " + quotedArgument(argument)
                       + " is not a switch and is ignored; the switches are " + switchNames);
}

}  // namespace

std::vector<std::string> readCommandLine(std::span<const std::string_view> arguments, CommandLine& commandLine)
{
    if (arguments.empty()) {
        commandLine.inputFileName = "kesp.inp";
        commandLine.reportFileName = "kesp.out";
        return {};
    }
    commandLine.inputFileName = std::string(trimmed(makeField(arguments[0], fileNameLength)));
    commandLine.reportFileName = reportNameFor(commandLine.inputFileName);
    if (arguments.size() < 2) {
        return {};
    }
    commandLine.switches = RunSwitches{};
    std::vector<std::string> warnings;
    for (std::string_view argument : arguments.subspan(1)) {
        applySwitch(argument, commandLine.switches, warnings);
    }
    return warnings;
}

std::vector<std::string> givenSwitches(std::span<const std::string_view> arguments)
{
    std::vector<std::string> switches;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string word = switchWord(arguments[i]);
        RunSwitches scratch;
        if (!word.empty() && applyWord(word, scratch)) {
            switches.push_back(word);
        }
    }
    return switches;
}

std::string jsonNameFor(const std::string& reportName)
{
    const std::string stem =
        reportName.ends_with(reportExtension) ? reportName.substr(0, reportName.size() - reportExtension.size())
                                              : reportName;
    return stem + ".json";
}

}  // namespace kesp
