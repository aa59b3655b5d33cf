#pragma once
// Diagnoses the parts of a block line that no item of its block takes: text
// without "=", blanks around "=", control characters inside an item, and
// keywords the block does not know.

#include <span>
#include <string_view>

#include "kesp/input/diagnostics.h"

namespace kesp {

// `line` is the block line with its comment blanked; `keywords` the block's
// item keywords ("NOCS=", ...).
void checkLineTokens(std::string_view line, std::span<const std::string_view> keywords,
                     std::string_view block, int lineNumber, InputDiagnostics& diagnostics);

}  // namespace kesp
