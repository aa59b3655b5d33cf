#pragma once
// Everything that defines one run: a value, built once (by the input reader
// or directly by code), copied freely and only read while the run goes on.

#include "input/radiationField.h"
#include "input/runConfig.h"
#include "input/runOptions.h"

namespace kesp {

struct RunSettings {
    RunConfig config;      // the keyword blocks
    RunOptions options;    // the switches and file names
    RadiationField field;  // the particle type or mixed field

    bool operator==(const RunSettings&) const = default;
};

}  // namespace kesp
