#pragma once

#include <ostream>
#include <string_view>

namespace kesp {

// The program's name, version and date, as the banner shows them.
inline constexpr std::string_view programTitle = "KESP Version 3.00B  15-JUL-2011";

// The release number of the program and its library, as the file VERSION at
// the top of the source tree gives it ("3.0"): what `kesp --version`, the
// JSON document, the Python package and the web engine name.
std::string_view programRelease();

// The three banner lines that open the console output and the report.
void writeBanner(std::ostream& out);

}  // namespace kesp
