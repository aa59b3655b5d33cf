#include "support/text.h"

#include <cctype>

namespace outside {

std::string shout(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

int trimmed(int width)
{
    return width > 80 ? 80 : width;
}

}  // namespace outside
