#include "support/text.h"

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

}  // namespace kesp
