#pragma once
// The command line: input file name and switches.

#include <span>
#include <string>
#include <string_view>

#include "input/runOptions.h"

namespace kesp {

// Fills the options from the arguments after the program name.
void readCommandLine(std::span<const std::string_view> arguments, RunOptions& options);

}  // namespace kesp
