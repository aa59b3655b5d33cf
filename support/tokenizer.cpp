#include "kesp/support/tokenizer.h"

#include <algorithm>

#include "kesp/support/text.h"

namespace kesp {

namespace {

// The characters that make up a set: up to its trimmed length, at least one.
std::string_view effectiveSet(std::string_view set)
{
    return set.substr(0, std::max<std::size_t>(trimmedLength(set), 1));
}

bool inSet(CaseMatch mode, std::string_view set, char c)
{
    if (mode == CaseMatch::exact) {
        return set.find(c) != std::string_view::npos;
    }
    return std::any_of(set.begin(), set.end(), [c](char member) { return equalIgnoringCase(member, c); });
}

// Which characters make up the item that is returned.
enum class Take { nonMembers, members };

int noItemLeft(int& position)
{
    position = 1;
    return -1;
}

// The common scan: skip the characters of the other kind, then take the
// stretch of characters of the kind asked for.
int nextStretch(CaseMatch mode, std::string_view set, Take take, std::string_view text, int& position,
                std::string& item)
{
    std::fill(item.begin(), item.end(), ' ');
    const std::string_view members = effectiveSet(set);
    const bool wanted = take == Take::members;
    const auto belongs = [&](std::size_t index) { return inSet(mode, members, text[index]) == wanted; };

    if (position > 0 && static_cast<std::size_t>(position) > text.size()) {
        return noItemLeft(position);
    }
    if (text.empty()) {
        return noItemLeft(position);
    }
    std::size_t index = position < 1 ? 0 : static_cast<std::size_t>(position) - 1;
    while (!belongs(index) && index + 1 < text.size()) {
        ++index;
    }
    if (!belongs(index)) {
        return noItemLeft(position);
    }
    std::size_t end = index;
    while (end < text.size() && belongs(end)) {
        ++end;
    }
    text.substr(index, end - index).copy(item.data(), std::min(item.size(), end - index));
    position = static_cast<int>(end + 1);
    return 0;
}

}  // namespace

int nextToken(CaseMatch mode, std::string_view delimiters, std::string_view text, int& position,
              std::string& token)
{
    return nextStretch(mode, delimiters, Take::nonMembers, text, position, token);
}

int nextRun(CaseMatch mode, std::string_view characterSet, std::string_view text, int& position,
            std::string& run)
{
    return nextStretch(mode, characterSet, Take::members, text, position, run);
}

}  // namespace kesp
