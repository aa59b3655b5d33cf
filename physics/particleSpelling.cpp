#include "kesp/physics/particleSpelling.h"

#include <algorithm>

#include "kesp/physics/particleIdentification.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string canonicalParticleName(std::string_view written)
{
    std::string name(written);
    const auto digit = std::find_if(name.begin(), name.end(), isDigit);
    if (digit == name.end()) {
        // The electron and the proton by their letter; longer names stay.
        const std::size_t first = name.find_first_not_of(' ');
        const std::size_t last = name.find_last_not_of(' ');
        if (first != std::string::npos && first == last && (lower(name[first]) == 'e' || lower(name[first]) == 'p')) {
            name[first] = lower(name[first]);
        }
        return name;
    }
    // The identification reads the letters behind the mass number the same
    // way; only a symbol it knows is recased.
    const ParticleIdentity identity = identifyParticle(name, defaultMassConstants);
    if (identity.Z <= 0) {
        return name;
    }
    const auto afterDigits = std::find_if_not(digit, name.end(), isDigit);
    const auto letters = std::find_if(afterDigits, name.end(), isLetter);
    if (letters == name.end()) {
        return name;
    }
    *letters = upper(*letters);
    const auto second = letters + 1;
    if (trimmed(identity.symbol).size() == 2 && second != name.end() && isLetter(*second)) {
        *second = lower(*second);
    }
    return name;
}

}  // namespace kesp
