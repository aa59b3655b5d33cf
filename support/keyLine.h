#pragma once
// Finding the line of a text file that holds a keyword.

#include <istream>
#include <string>
#include <string_view>

namespace kesp {

// Reads `channel` line by line (each into the field `line` with readFixedLine)
// until a line holds `key`. The three characters of `mode` choose:
//   1: "1" rewinds the channel first (state cleared, read position 0);
//   2: how key and line are normalised before comparing: "1" deletes every
//      blank, "2" leaves them as they are, anything else turns each run of
//      blanks into one blank;
//   3: "1" compares exactly, anything else lets a letter match either case.
// Missing mode characters count as blanks. `lineCount` is the number of lines
// read in this search; on success `line` holds the matching line as read.
// Status: 0 found; -2 key longer than 1000 characters; -3 channel not open
// (a stream without a buffer, or a file stream whose file is not open);
// -4 rewind failed; -5 end of file or read error before a match (line blank).
[[nodiscard]] int findKeyLine(std::istream& channel, std::string_view mode, std::string_view key, int& lineCount,
                std::string& line);

// Looks for the pattern (its trimmed part; the whole pattern if it is all
// blank) in the text, a letter matching the same letter in either case.
// Status 0 with the first and last matched columns; -1 when not found, the
// pattern is empty or longer than the text, with both columns set to 1.
[[nodiscard]] int findTextNoCase(std::string_view pattern, std::string_view text, int& first, int& last);

}  // namespace kesp
