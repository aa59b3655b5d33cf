#include "kesp/report/inputText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kesp {

namespace {

std::size_t lineCount(const std::string& text)
{
    const auto ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return ends + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

}  // namespace

std::optional<std::string> inputSizeProblem(const InputText& input)
{
    const std::string why = ", the most an input file may hold (it is a handful of block lines)";
    if (input.text.size() > inputByteLimit) {
        return "Input file " + input.name + " is larger than " + std::to_string(inputByteLimit) + " bytes (4 MiB)"
               + why;
    }
    if (lineCount(input.text) > inputLineLimit) {
        return "Input file " + input.name + " holds more than " + std::to_string(inputLineLimit) + " lines" + why;
    }
    return std::nullopt;
}

// Only a regular file is read: the reader goes through the text once per
// block, which a pipe cannot give, and a device such as /dev/zero would
// never end its first line.
InputFileAccess loadInputText(const std::string& name, InputText& input)
{
    input.name = name;
    input.text.clear();
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return InputFileAccess::missing;
    }
    if (!std::filesystem::is_regular_file(status)) {
        return InputFileAccess::notReadable;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        return InputFileAccess::notReadable;
    }
    // One byte past the limit tells a file that is too large; the rest of
    // it is never read.
    input.text.resize(inputByteLimit + 1);
    file.read(input.text.data(), static_cast<std::streamsize>(input.text.size()));
    if (file.bad()) {
        input.text.clear();
        return InputFileAccess::notReadable;
    }
    input.text.resize(static_cast<std::size_t>(file.gcount()));
    input.text.shrink_to_fit();
    return inputSizeProblem(input) ? InputFileAccess::tooLarge : InputFileAccess::read;
}

std::string inputAccessMessage(InputFileAccess access, const InputText& input)
{
    switch (access) {
        case InputFileAccess::read:
            return {};
        case InputFileAccess::missing:
            return "Input file " + input.name + " is not found";
        case InputFileAccess::notReadable:
            return "Input file " + input.name + " is not a readable file";
        case InputFileAccess::tooLarge:
            return inputSizeProblem(input).value_or("");
    }
    return {};
}

}  // namespace kesp
