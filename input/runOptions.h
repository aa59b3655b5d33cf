#pragma once
// The command-line part of a run's settings: file names and switches.

#include <cstddef>
#include <string>
#include <string_view>

#include "support/text.h"

namespace kesp {

inline constexpr std::size_t fileNameLength = 500;

struct RunOptions {
    std::string inputFileName = makeField("kesp.inp", fileNameLength);   // 500 characters, blank-padded
    std::string reportFileName = makeField("kesp.out", fileNameLength);  // 500 characters, blank-padded
    bool oxygenEffect = true;           // "/no2" and "/2006" switch the oxygen model off
    bool zebDependentOxygen = true;     // "/nq" and "/2006" make the oxygen factor M0 itself
    bool masses2006 = false;            // "/2006": the older set of mass constants
    bool strict = false;                // "/strict": refuse a run whose input holds warnings

    bool operator==(const RunOptions&) const = default;
};

// Applies a switch given as its word in lower case ("/no2", "/nq", "/2006",
// "/strict"); false, with the options unchanged, for any other word.
bool applySwitchWord(std::string_view word, RunOptions& options);

}  // namespace kesp
