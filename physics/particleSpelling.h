#pragma once
// How a particle name is spelt in the outputs: as the user wrote it, with
// its element symbol in the case of the nuclide table ("12c" is 12C, "4HE"
// is 4He) and the one-letter names of the electron and the proton in lower
// case ("E" is e, "P" is p).

#include <string>
#include <string_view>

namespace kesp {

/// The name in canonical case. Only the letters of an element symbol that
/// follows the mass number, or a one-letter electron or proton, change case;
/// blanks and every other character stay, so a blank-padded name field stays
/// one. A name that names no element is left as written.
std::string canonicalParticleName(std::string_view written);

}  // namespace kesp
