#pragma once

#include <ostream>

namespace kesp {

// The three banner lines that open the console output and the report.
void writeBanner(std::ostream& out);

}  // namespace kesp
