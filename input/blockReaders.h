#pragma once
// Readers of the keyword blocks "SIMCON:", "EVO2:", "DMSO:", "CELL:" and
// "KESP:". Each one sets its block's fields of RunConfig to their defaults,
// looks for the first line of the input file that holds its key and applies
// the recognised items of that line. They never write messages: an item that
// is unrecognised, does not convert or lies outside its accepted range is
// ignored, clamped or replaced.

#include <cstdint>
#include <istream>

namespace kesp {

using BlockStatus = std::int32_t;
inline constexpr BlockStatus blockRead = 0;          // the block line was found and read
inline constexpr BlockStatus blockAbsent = 1;        // no block line; the defaults stand
inline constexpr BlockStatus seedReplaced = 2;       // "SIMCON:": a negative seed became the default
inline constexpr BlockStatus cellCountReplaced = 3;  // "SIMCON:": a cell count below 1 became 1

// Smallest accepted oxygen model parameter K, percent O2.
inline constexpr double smallestK = 2.220446049250313e-16;

// Each rewinds the input itself, so they may run in any order.
BlockStatus readSimconBlock(std::istream& input);
BlockStatus readEvo2Block(std::istream& input);
BlockStatus readDmsoBlock(std::istream& input);
BlockStatus readCellBlock(std::istream& input);
BlockStatus readKespBlock(std::istream& input);

}  // namespace kesp
