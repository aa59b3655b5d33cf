#pragma once
// Readers of the keyword blocks "SIMCON:", "EVO2:", "DMSO:", "CELL:" and
// "KESP:". Each one sets its block's fields of RunSettings to their defaults,
// looks for the first line of the input file that holds its key and applies
// the recognised items of that line. They never write messages: an item that
// is unrecognised, does not convert or lies outside its accepted range is
// ignored, clamped or replaced (and, when asked, diagnosed).

#include <istream>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"

namespace kesp {

enum class [[nodiscard]] BlockStatus {
    read,               // the block line was found and read
    absent,             // no block line; the defaults stand
    seedReplaced,       // "SIMCON:": a negative seed became the default
    cellCountReplaced,  // "SIMCON:": a cell count below 1 became 1
};

// Smallest accepted oxygen model parameter K, percent O2.
inline constexpr double smallestK = 2.220446049250313e-16;

// Each rewinds the input itself, so they may run in any order, and writes
// only its own block's fields of the configuration.
// With diagnostics, each also says what on its line it could not take as
// written and records the line it read.
BlockStatus readSimconBlock(std::istream& input, RunSettings& settings,
                            InputDiagnostics* diagnostics = nullptr);
BlockStatus readEvo2Block(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics = nullptr);
BlockStatus readDmsoBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics = nullptr);
BlockStatus readCellBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics = nullptr);
BlockStatus readKespBlock(std::istream& input, RunSettings& settings, InputDiagnostics* diagnostics = nullptr);

}  // namespace kesp
