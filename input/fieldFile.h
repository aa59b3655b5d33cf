#pragma once
// Loading a mixed radiation field from a field file.
//
// The file holds a title line, the number of components N (the first value
// after the title; blank lines are skipped and the rest of its line ignored)
// and N records "name, kinetic energy in MeV, weight" in free format: values
// separated by blanks, commas or line ends, names with or without quotes (cut
// to 5 characters), each record starting on a new line and possibly spread
// over several; the rest of the line after a record's third value is ignored,
// a slash ends a record early and two commas in a row leave a value out, in
// both cases keeping the value the component already has.
//
// A file that cannot be opened, or is not a regular file (a directory, a
// pipe, a device), is skipped. A file that ends too soon, holds a value
// that does not convert, more components than the field can hold, a kinetic
// energy that is not positive, a negative weight, weights that do not add up
// to a positive sum or a particle that cannot be set up (an unknown name, or
// an energy too small to give it a speed) stops the run with a message naming
// the file and the component.

#include <string_view>

#include "kesp/input/diagnostics.h"
#include "kesp/input/radiationField.h"
#include "kesp/physics/particleIdentification.h"

namespace kesp {

enum class [[nodiscard]] FieldFileOutcome {
    notOpened,        // no such file, or not a file to read: nothing was changed
    noComponents,     // N is 0 or less: nothing was loaded
    singleComponent,  // N = 1: a single-particle run with that component
    mixedField,       // N >= 2: a mixed-field run
};

// Reads the file into the field, checks that every component's particle can
// be set up (with the given mass constants), normalises the weights and forms
// the cumulative weights. The field is changed only when components were
// loaded.
// With diagnostics, particle names read otherwise than written are said
// (naming the field file and the record's line).
FieldFileOutcome loadFieldFile(std::string_view fileName, RadiationField& field,
                               const MassConstants& masses, InputDiagnostics* diagnostics = nullptr);

}  // namespace kesp
