#pragma once
// The parts of the compiled module kesp._core, each bound in a source of its
// own and added to the module in module.cpp.

#include <pybind11/pybind11.h>

namespace kesp::python {

// Settings, radiation fields, input files with their diagnostics, runs and
// their results, errors and warnings.
void bindRuns(pybind11::module_& module);

// Cell survival: cell lines, the linear-quadratic coefficients of a run,
// RBE and OER for cell killing, and the survival columns of a scan table.
void bindSurvival(pybind11::module_& module);

// Scans: the configurations of a scan file run as kesp-scan runs them.
void bindScans(pybind11::module_& module);

}  // namespace kesp::python
