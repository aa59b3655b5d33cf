#pragma once
// Reading text files line by line into fixed-length fields.

#include <istream>
#include <string>

namespace kesp {

// Reads the next line of `in` into the field `line`: a longer line is cut to
// the field's length, a shorter one padded with blanks. A carriage return that
// ends the line (files with CR LF line ends) is dropped. The rest of a long
// line is skipped without being stored, and NUL bytes are kept as read.
// Returns false, with `line` all blank, at end of file or on a read error.
[[nodiscard]] bool readFixedLine(std::istream& in, std::string& line);

}  // namespace kesp
