#pragma once
// The "RADX:" block: the radiation that hits the cell nucleus.
//
// The block line is the first line of the input file that begins with
// "RADX:" once its blanks are deleted and it is upper-cased. Its "FN=" items
// are tried first, in their order: the first field file that loads with one or
// more components gives the field. Otherwise the items "PAR=" (particle name),
// "KE=" (kinetic energy, MeV) and "MEV/A=" (kinetic energy per nucleon, MeV,
// times the particle's mass number) give a single particle type.
//
// A field file named with a relative path that does not exist relative to
// the current directory is looked for next to the input file.

#include <filesystem>
#include <istream>

#include "kesp/input/blockReaders.h"
#include "kesp/input/radiationField.h"
#include "kesp/physics/particleIdentification.h"

namespace kesp {

// The field of the block (mass numbers from the given mass constants).
// Status absent: no block line, so the default 1 MeV electron stands, or a
// field file with one component was loaded. Status read: a field file with
// two or more components, or the particle of the block line's own items.
struct RadiationBlock {
    RadiationField field;
    BlockStatus status;
};
// `inputDirectory` is the directory of the input file; with diagnostics the
// reader says what it could not take as written.
RadiationBlock readRadiationBlock(std::istream& input, const MassConstants& masses,
                                  const std::filesystem::path& inputDirectory = {},
                                  InputDiagnostics* diagnostics = nullptr);

}  // namespace kesp
