#pragma once
// The command line: input file name and switches.

#include <span>
#include <string>
#include <string_view>

namespace kesp {

inline constexpr std::size_t fileNameLength = 500;

struct RunOptions {
    std::string inputFileName;          // 500 characters, blank-padded
    std::string reportFileName;         // 500 characters, blank-padded
    bool oxygenEffect = true;           // "/no2" and "/2006" switch the oxygen model off
    bool zebDependentOxygen = true;     // "/nq" and "/2006" make the oxygen factor M0 itself
    bool masses2006 = false;            // "/2006": the older set of mass constants
};

// The run's one instance; written only by readCommandLine.
RunOptions& runOptions();
void resetRunOptions();

// Fills the options from the arguments after the program name.
void readCommandLine(std::span<const std::string_view> arguments, RunOptions& options);

}  // namespace kesp
