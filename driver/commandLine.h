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

// The switch that asks for the results as a JSON document beside the report.
inline constexpr std::string_view jsonSwitch = "/json";

// The switches among the arguments after the input file, as their words in
// lower case and with "/" for "--" ("/no2", "/json"), in order; arguments
// that are no switch are left out.
std::vector<std::string> givenSwitches(std::span<const std::string_view> arguments);

// The JSON document's name for a report's: "run.out" gives "run.json".
std::string jsonNameFor(const std::string& reportName);

}  // namespace kesp
