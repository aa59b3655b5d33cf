#pragma once
// What the program makes of a particle name, when it is not the name as
// written: a name cut to five characters, taken by its first letter, not
// known at all, with letters after the element symbol that are ignored, or
// with a mass number below the lightest tabulated isotope.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/physics/particleIdentification.h"

namespace kesp {

// Whose names these are: an input file's (read as the program always read
// them: "P" and "E" are the proton and the electron) or a caller's in code
// (a single letter must be the lower-case "e" or "p"; "electron", "proton"
// and "e-" in any case).
enum class NameSpelling { inputFile, code };

/// One thing the program makes of a particle name otherwise than written.
struct NameFinding {
    std::string message;   ///< as the input file's diagnostic says it
    bool anotherParticle;  ///< the run would simulate another particle than the name says
};

/// What the program makes of the particle name `written` (as given; `used`
/// is the field the program reads), in the order the input reader reports
/// it; `fallback` ends the message of an unknown name ("using the 1 MeV
/// electron"; empty: nothing).
std::vector<NameFinding> readParticleName(std::string_view written, std::string_view used,
                                          const MassConstants& masses, std::string_view fallback,
                                          NameSpelling spelling);

// Says so at the place for each of these; true when the name is known.
// `written` is the name as the file gives it, `name` the 5-character field
// the program makes of it; `fallback` ends the message of an unknown name.
bool checkParticleName(std::string_view written, std::string_view name, const MassConstants& masses,
                       const DiagnosticPlace& place, std::string_view fallback);

/// The policy for names given in code: throws RunError of kind input, with
/// the input file's diagnostic text, when the name would be simulated as
/// another particle than it says (unknown names, which fall back to the
/// electron; names without a mass number other than e, e-, electron, p,
/// proton; element symbols with letters the program ignores). Names that
/// only carry a caveat (a mass number not tabulated) pass; checkSettings
/// warns of them. `prefix` begins the message ("component 2: ").
void requireNamedParticle(std::string_view name, std::string_view fallback, std::string_view prefix = {});

// The particle as messages name it: "e-", "proton", "12C".
std::string particleLabel(std::int32_t Z, std::int32_t A, std::string_view symbol);

}  // namespace kesp
