#pragma once
// The "RADX:" block: the radiation that hits the cell nucleus.
//
// The block line is the first line of the input file that begins with
// "RADX:" once its blanks are deleted and it is upper-cased. Its "FN=" items
// are tried first, in their order: the first field file that loads with one or
// more components gives the field. Otherwise the items "PAR=" (particle name),
// "KE=" (kinetic energy, MeV) and "MEV/A=" (kinetic energy per nucleon, MeV,
// times the particle's mass number) give a single particle type.

#include <istream>

#include "input/blockReaders.h"

namespace kesp {

// Fills RadiationField. Status 1 (blockAbsent): no block line, so the default
// 1 MeV electron stands, or a field file with one component was loaded.
// Status 0: a field file with two or more components, or the particle of the
// block line's own items.
BlockStatus readRadiationBlock(std::istream& input);

}  // namespace kesp
