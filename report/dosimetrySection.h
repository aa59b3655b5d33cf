#pragma once

#include <ostream>

namespace kesp {

// Rebuilds the range table and the microdosimetry of the current particle and
// writes the dosimetry and microdosimetry records.
void writeDosimetrySection(std::ostream& out);

}  // namespace kesp
