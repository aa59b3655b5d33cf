#pragma once
/// \file
/// Reading the whole input file into a run's settings: the keyword blocks, the
/// radiation field with its field file, and the fallback of a first component
/// that cannot be set up.

#include <filesystem>
#include <istream>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"

namespace kesp {

/// The settings of the input, with the given switches. The input must be a
/// stream that can be repositioned (a regular file or a string); stops the run
/// when it is not, or when a field file named in it is broken (RunError of
/// kind input).
/// With diagnostics, it also says what it could not take as written; what is
/// read stays the same. A field file named with a relative path that is not
/// in the current directory is looked for next to `inputFile`, the name of
/// the input file the stream reads (empty: the current directory).
RunSettings readInput(std::istream& input, const RunSwitches& switches = {},
                      const std::filesystem::path& inputFile = {}, InputDiagnostics* diagnostics = nullptr);

/// The settings of the named input file with the given switches. Stops the
/// run when the file is missing or not a regular file that can be read
/// (RunError of kind io), and as readInput() does.
RunSettings readInputFile(const std::filesystem::path& inputFile, const RunSwitches& switches = {},
                          InputDiagnostics* diagnostics = nullptr);

}  // namespace kesp
