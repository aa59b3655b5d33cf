#include "kesp/support/text.h"

#include <algorithm>

namespace kesp {

std::string makeField(std::string_view text, std::size_t length)
{
    std::string field(length, ' ');
    text.copy(field.data(), std::min(length, text.size()));
    return field;
}

std::size_t trimmedLength(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? 0 : last + 1;
}

std::string_view trimmed(std::string_view text)
{
    return text.substr(0, trimmedLength(text));
}

void toUpper(std::string& text, std::size_t length)
{
    const std::size_t end = std::min(length, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z') {
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
        }
    }
}

void toLower(std::string& text, std::size_t length)
{
    const std::size_t end = std::min(length, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] >= 'A' && text[i] <= 'Z') {
            text[i] = static_cast<char>(text[i] - 'A' + 'a');
        }
    }
}

bool isBlankOrControl(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code <= 32 || code == 255;
}

void squeezeBlanks(std::string& text)
{
    if (text.size() <= 1) {
        return;
    }
    const std::size_t length = text.size();
    std::erase_if(text, isBlankOrControl);
    text.resize(length, ' ');
}

bool equalIgnoringCase(char a, char b)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return upper(a) == upper(b);
}

void removeChar(char c, std::string& text)
{
    const std::size_t length = text.size();
    std::erase(text, c);
    text.resize(length, ' ');
}

void copyInto(int column, std::string_view source, std::string& target)
{
    if (source.empty() || target.empty()) {
        return;
    }
    const std::size_t start = column < 1 ? 0 : static_cast<std::size_t>(column) - 1;
    if (start >= target.size()) {
        return;
    }
    const std::size_t count = std::min(source.size(), target.size() - start);
    source.copy(target.data() + start, count);
}

void cleanValue(std::string_view text, std::string& value)
{
    std::fill(value.begin(), value.end(), ' ');
    if (trimmedLength(text) == 0) {
        return;
    }
    copyInto(1, trimmed(text), value);
    for (const char c : std::string_view("'\"()[]{}`<>")) {
        removeChar(c, value);
    }
}

}  // namespace kesp
