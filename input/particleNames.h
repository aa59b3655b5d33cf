#pragma once
// What the program makes of a particle name, when it is not the name as
// written: a name cut to five characters, taken by its first letter, not
// known at all, with letters after the element symbol that are ignored, or
// with a mass number below the lightest tabulated isotope.

#include <cstdint>
#include <string>
#include <string_view>

#include "kesp/input/diagnostics.h"
#include "kesp/physics/particleIdentification.h"

namespace kesp {

// Says so at the place for each of these; true when the name is known.
// `written` is the name as the file gives it, `name` the 5-character field
// the program makes of it; `fallback` ends the message of an unknown name.
bool checkParticleName(std::string_view written, std::string_view name, const MassConstants& masses,
                       const DiagnosticPlace& place, std::string_view fallback);

// The particle as messages name it: "e-", "proton", "12C".
std::string particleLabel(std::int32_t Z, std::int32_t A, std::string_view symbol);

}  // namespace kesp
