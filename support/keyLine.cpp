#include "kesp/support/keyLine.h"

#include <algorithm>
#include <fstream>

#include "kesp/support/lineReader.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::size_t workLength = 1000;

char modeCharacter(std::string_view mode, std::size_t column)
{
    return column <= mode.size() ? mode[column - 1] : ' ';
}

bool channelOpen(const std::istream& channel)
{
    const std::streambuf* buffer = channel.rdbuf();
    if (buffer == nullptr) {
        return false;
    }
    const auto* file = dynamic_cast<const std::filebuf*>(buffer);
    return file == nullptr || file->is_open();
}

bool rewind(std::istream& channel)
{
    channel.clear();
    channel.seekg(0);
    return !channel.fail();
}

// Turns each run of blanks into one blank, keeping the field's length.
void collapseBlankRuns(std::string& text)
{
    const std::size_t length = text.size();
    std::string collapsed;
    collapsed.reserve(length);
    for (const char c : text) {
        if (c != ' ' || collapsed.empty() || collapsed.back() != ' ') {
            collapsed += c;
        }
    }
    collapsed.resize(length, ' ');
    text = std::move(collapsed);
}

// A 1000-column copy of the text with its blanks normalised by the rule.
std::string normalised(std::string_view text, char rule)
{
    std::string work = makeField(text, workLength);
    if (rule == '1') {
        removeChar(' ', work);
    } else if (rule != '2') {
        collapseBlankRuns(work);
    }
    return work;
}

bool holdsKey(std::string_view work, std::string_view key, char comparison)
{
    if (comparison == '1') {
        return work.find(key) != std::string_view::npos;
    }
    int first = 1;
    int last = 1;
    return findTextNoCase(key, work, first, last) == 0;
}

}  // namespace

int findKeyLine(std::istream& channel, std::string_view mode, std::string_view key, int& lineCount,
                std::string& line)
{
    if (trimmedLength(key) > workLength) {
        return -2;
    }
    if (!channelOpen(channel)) {
        return -3;
    }
    if (modeCharacter(mode, 1) == '1' && !rewind(channel)) {
        return -4;
    }
    const char blankRule = modeCharacter(mode, 2);
    const std::string workKey = normalised(key, blankRule);
    const std::string_view keyText =
        std::string_view(workKey).substr(0, std::max<std::size_t>(trimmedLength(workKey), 1));

    lineCount = 0;
    while (readFixedLine(channel, line)) {
        ++lineCount;
        if (holdsKey(normalised(line, blankRule), keyText, modeCharacter(mode, 3))) {
            return 0;
        }
    }
    return -5;
}

int findTextNoCase(std::string_view pattern, std::string_view text, int& first, int& last)
{
    first = 1;
    last = 1;
    const std::string_view wanted = trimmedLength(pattern) > 0 ? trimmed(pattern) : pattern;
    if (wanted.empty() || wanted.size() > text.size()) {
        return -1;
    }
    for (std::size_t start = 0; start + wanted.size() <= text.size(); ++start) {
        const std::string_view candidate = text.substr(start, wanted.size());
        if (std::equal(wanted.begin(), wanted.end(), candidate.begin(), equalIgnoringCase)) {
            first = static_cast<int>(start + 1);
            last = static_cast<int>(start + wanted.size());
            return 0;
        }
    }
    return -1;
}

}  // namespace kesp
