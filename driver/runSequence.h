#pragma once

#include <span>
#include <string_view>

namespace kesp {

// One complete run, from the banner to the stop text. Takes the arguments
// after the program name and returns the process exit status.
int runKesp(std::span<const std::string_view> arguments);

}  // namespace kesp
