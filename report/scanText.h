#pragma once
// Numbers and quoted texts as the scan writes them, into input files, its
// table and its messages.

#include <string>
#include <string_view>

namespace kesp {

/// The shortest text that reads back to the same double ("0.5", "1e-05",
/// "2000").
std::string shortestText(double value);

/// The text in double quotes, as a message quotes what a file holds.
std::string quotedText(std::string_view text);

/// True when the text can stand as an item's value on an input line and be
/// read back as written: not empty, and without blanks, control characters
/// or the characters that end an item or that its reading deletes
/// (, : ; ! quotes and brackets).
bool fitsInputItem(std::string_view text);

}  // namespace kesp
