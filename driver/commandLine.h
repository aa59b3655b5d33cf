#pragma once
// The command line: input file name and switches.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kesp/input/runSwitches.h"

namespace kesp {

// The longest input or report file name, in characters; a longer report
// name is cut to it.
inline constexpr std::size_t fileNameLength = 500;

// What the command line asks of the program: the files and the switches.
struct CommandLine {
    std::string inputFileName = "kesp.inp";
    std::string reportFileName = "kesp.out";
    RunSwitches switches;

    bool operator==(const CommandLine&) const = default;
};

// Fills the command line from the arguments after the program name. Returns a
// warning line for each argument after the input file that is not a switch
// (which is then ignored); "/strict" counts them like the input's warnings.
std::vector<std::string> readCommandLine(std::span<const std::string_view> arguments, CommandLine& commandLine);

// The switch that asks for the results as a JSON document beside the report.
inline constexpr std::string_view jsonSwitch = "/json";

// The switches among the arguments after the input file, as their words in
// lower case and with "/" for "--" ("/no2", "/json"), in order; arguments
// that are no switch are left out.
std::vector<std::string> givenSwitches(std::span<const std::string_view> arguments);

// The JSON document's name for a report's: "run.out" gives "run.json".
std::string jsonNameFor(const std::string& reportName);

}  // namespace kesp
