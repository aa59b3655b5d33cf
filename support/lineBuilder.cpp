#include "kesp/support/lineBuilder.h"

#include <algorithm>
#include <cstdint>

#include "kesp/support/numberFormat.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// Copies `piece` so that its first character lands in column `start`; what
// falls left of column 1 or right of the line's end is dropped.
int copyAt(std::string_view piece, std::int64_t start, std::string& line)
{
    const auto length = static_cast<std::int64_t>(piece.size());
    const auto lineLength = static_cast<std::int64_t>(line.size());
    int status = start + length > lineLength ? -1 : 0;
    std::int64_t skip = 0;
    if (start < 1) {
        status = -1;
        skip = std::min(1 - start, length);
        start = 1;
    }
    for (std::int64_t i = skip; i < length && start + (i - skip) <= lineLength; ++i) {
        line[static_cast<std::size_t>(start + (i - skip) - 1)] = piece[static_cast<std::size_t>(i)];
    }
    return status;
}

// Start column of a text of the given length for every justification but the
// decimal point.
std::int64_t startColumn(std::int64_t length, int column, Justify justify)
{
    if (length == 1 || justify == Justify::left) {
        return column;
    }
    if (justify == Justify::centre) {
        return column - length / 2;
    }
    return column - length + 1;
}

}  // namespace

std::string blankLine(std::size_t length)
{
    return std::string(length, ' ');
}

int placeNumber(double value, int column, Justify justify, std::string_view code, std::string& line)
{
    const RenderedNumber rendered = renderNumber(value, code);
    if (rendered.status < 0) {
        return rendered.status;
    }
    const auto length = static_cast<std::int64_t>(rendered.text.size());
    const std::int64_t start = justify == Justify::decimalPoint
                                   ? std::int64_t{column} - rendered.pointPosition + 1
                                   : startColumn(length, column, justify);
    return copyAt(rendered.text, start, line);
}

int placeText(std::string_view text, int column, Justify justify, std::string& line)
{
    const std::size_t length = std::max<std::size_t>(trimmedLength(text), 1);
    const std::string piece = makeField(text, length);
    return copyAt(piece, startColumn(static_cast<std::int64_t>(length), column, justify), line);
}

void appendNumber(double value, std::string_view code, std::string_view label, std::string& line)
{
    const auto end = static_cast<std::int64_t>(std::max<std::size_t>(trimmedLength(line), 1));
    copyAt(label, end + 1, line);
    const std::int64_t numberColumn = end + 1 + static_cast<std::int64_t>(label.size());
    if (numberColumn <= static_cast<std::int64_t>(line.size())) {
        // Appending cuts a number at the line's end without a word, by design.
        static_cast<void>(placeNumber(value, static_cast<int>(numberColumn), Justify::left, code, line));
    }
}

void appendText(std::string_view text, std::string& line)
{
    copyAt(text, static_cast<std::int64_t>(trimmedLength(line)) + 1, line);
}

int replaceText(std::string_view oldText, std::string_view newText, std::string& line)
{
    const std::string_view search = trimmedLength(oldText) > 0 ? trimmed(oldText) : oldText;
    if (line.empty() || search.empty() || search.size() > line.size()) {
        return -1;
    }
    const std::size_t found = line.find(search);
    if (found == std::string::npos) {
        return -1;
    }
    const std::size_t length = line.size();
    line.erase(found, search.size());
    line.insert(found, newText);
    line.resize(length, ' ');
    return 0;
}

}  // namespace kesp
