#pragma once
// Numbers as the scan writes them, into input files and into its table.

#include <string>

namespace kesp {

// The shortest text that reads back to the same double ("0.5", "1e-05",
// "2000").
std::string shortestText(double value);

}  // namespace kesp
