#pragma once
/// \file
/// The text of an input file as a request carries it, and the bound on its
/// size: an input file is a handful of block lines, and the reader goes
/// through it once per block and keeps a record of each line for its
/// diagnostics, so a file far past that size is refused before it is read.

#include <cstddef>
#include <optional>
#include <string>

#include "kesp/input/inputScan.h"

namespace kesp {

/// The text of an input file, as a request carries it.
struct InputText {
    std::string text;  ///< the whole file
    std::string name;  ///< the name it goes by in diagnostics; a field file it names with a relative
                       ///< path that is not in the current directory is looked for beside it
};

/// Why the text is too large for an input file (past inputByteLimit or
/// inputLineLimit of input/inputScan.h), naming the file and the limit, or
/// nothing when it is not.
std::optional<std::string> inputSizeProblem(const InputText& input);

/// How a named input file could be loaded.
enum class InputFileAccess {
    read,         ///< the whole file was read
    missing,      ///< the name names nothing
    notReadable,  ///< not a regular file that opens (a pipe, a device, a folder)
    tooLarge      ///< past inputByteLimit or inputLineLimit
};

/// Loads the named file into `input`, its name included (at most one byte
/// past the limit is ever read): missing when the name names nothing, notReadable for
/// anything but a regular file that opens (a pipe, a device), tooLarge past
/// inputByteLimit or inputLineLimit.
InputFileAccess loadInputText(const std::string& name, InputText& input);

/// The message for an input file that loadInputText could not load
/// ("Input file run.inp is not found"); empty for one it read.
std::string inputAccessMessage(InputFileAccess access, const InputText& input);

}  // namespace kesp
