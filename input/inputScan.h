#pragma once
/// \file
/// A look at the input file as raw lines, for what the block readers cannot
/// see: a byte-order mark, carriage returns as the only line ends, lines that
/// look like block lines but are not read, and text beyond column 240 of the
/// lines that are.

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "kesp/input/diagnostics.h"

namespace kesp {

/// The largest input file the front ends take, in bytes and in lines. An
/// input file is a handful of block lines; the reader goes through it once
/// per block, so a file far larger is refused before it is read
/// (report/inputText.h).
inline constexpr std::size_t inputByteLimit = 4 * 1024 * 1024;
/// The most lines of an input file the front ends take (see inputByteLimit).
inline constexpr std::size_t inputLineLimit = 10000;

/// One line of the input as it stands in the file.
struct RawLine {
    std::string start;        ///< the first 1000 characters
    std::size_t length = 0;   ///< the length of the whole line in characters, without its line end
};

/// What scanInput() saw of an input file.
struct InputScan {
    std::vector<RawLine> lines;        ///< the first inputLineLimit lines, in order
    bool byteOrderMark = false;        ///< whether the file begins with a UTF-8 byte-order mark
    bool carriageReturnsOnly = false;  ///< lines end in carriage returns alone; the reader then sees one long line
};

/// Reads the whole stream from its start (and leaves it at its end), one
/// byte after the other: what is kept is bounded (the first inputLineLimit
/// lines, the first 1000 characters of each), whatever the stream holds.
InputScan scanInput(std::istream& input);

/// Says what the scan shows, given the lines the block readers recorded in
/// the diagnostics.
void checkScannedLines(const InputScan& scan, InputDiagnostics& diagnostics);

}  // namespace kesp
