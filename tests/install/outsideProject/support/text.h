#pragma once
// This project's own text helpers, at the path of one of KESP's headers
// ("support/text.h"), with a function of KESP's name and another meaning.

#include <string>

namespace outside {

// The text in capitals.
std::string shout(std::string text);

// KESP's support/text.h has a trimmed() of its own in namespace kesp; this
// one takes and gives something else, so mixing them up does not compile.
int trimmed(int width);

}  // namespace outside
