#pragma once
// The command line: input file name and switches.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/runOptions.h"

namespace kesp {

// Fills the options from the arguments after the program name. Returns a
// warning line for each argument after the input file that is not a switch
// (which is then ignored); "/strict" counts them like the input's warnings.
std::vector<std::string> readCommandLine(std::span<const std::string_view> arguments, RunOptions& options);

}  // namespace kesp
