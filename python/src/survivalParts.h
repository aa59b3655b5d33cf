#pragma once
// The parts bindSurvival adds to kesp._core besides its own.

#include <pybind11/pybind11.h>

namespace kesp::python {

// The survival columns of a scan table, worked out row by row.
void bindSurvivalTable(pybind11::module_& module);

}  // namespace kesp::python
