#pragma once
/// \file
/// The switches of the command line (and of a scan file): how a program reads
/// an input file and whether it refuses one that holds warnings.

#include <string_view>

#include "kesp/input/runSettings.h"

namespace kesp {

/// The switches given to a program, each as it changes the reading of an
/// input file; the defaults are those of no switch.
struct RunSwitches {
    bool oxygenEffect = true;        ///< "/no2" and "/2006" switch the oxygen model off
    bool zebDependentOxygen = true;  ///< "/nq" and "/2006" make the oxygen factor M0 itself
    bool masses2006 = false;         ///< "/2006": the older set of mass constants
    bool strict = false;             ///< "/strict": refuse a run whose input holds warnings

    /// Equal when every switch is equal.
    bool operator==(const RunSwitches&) const = default;
};

/// Applies a switch given as its word in lower case ("/no2", "/nq", "/2006",
/// "/strict"); false, with the switches unchanged, for any other word.
bool applySwitchWord(std::string_view word, RunSwitches& switches);

/// Sets the members of the settings that the switches choose.
void applySwitches(const RunSwitches& switches, RunSettings& settings);

}  // namespace kesp
