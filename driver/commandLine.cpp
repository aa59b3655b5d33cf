#include "driver/commandLine.h"

#include "support/text.h"

namespace kesp {

namespace {

constexpr std::size_t switchLength = 6;

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
    return makeField(inputName.substr(0, stemLength) + ".out", fileNameLength);
}

void applySwitch(std::string_view argument, RunOptions& options)
{
    // "/strict" is longer than the switch field, so it is compared whole;
    // the other switches are read from the field.
    std::string whole(argument);
    squeezeBlanks(whole);
    toLower(whole, whole.size());
    std::string text = makeField(argument, switchLength);
    squeezeBlanks(text);
    toLower(text, text.size());
    const std::string_view word = trimmed(whole) == "/strict" ? trimmed(whole) : trimmed(text);
    static_cast<void>(applySwitchWord(word, options));  // unknown switches are ignored
}

}  // namespace

void readCommandLine(std::span<const std::string_view> arguments, RunOptions& options)
{
    if (arguments.empty()) {
        options.inputFileName = makeField("kesp.inp", fileNameLength);
        options.reportFileName = makeField("kesp.out", fileNameLength);
        return;
    }
    options.inputFileName = makeField(arguments[0], fileNameLength);
    options.reportFileName = reportNameFor(options.inputFileName);
    if (arguments.size() < 2) {
        return;
    }
    options.masses2006 = false;
    options.oxygenEffect = true;
    options.zebDependentOxygen = true;
    options.strict = false;
    for (std::string_view argument : arguments.subspan(1)) {
        applySwitch(argument, options);
    }
}

}  // namespace kesp
