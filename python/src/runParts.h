#pragma once
// The parts bindRuns adds to kesp._core, each in a source of its own.

#include <pybind11/pybind11.h>

namespace kesp::python {

// Errors of the engine raised as the package's exception types.
void bindErrors(pybind11::module_& module);

// Settings, oxygen and DMSO models, radiation fields, input files and their
// diagnostics, the dose per unit fluence of particles.
void bindSettings(pybind11::module_& module);

// A run's results, their report text and JSON document.
void bindResults(pybind11::module_& module);

// Running the cells with the GIL released, progress and Ctrl-C.
void bindSimulation(pybind11::module_& module);

}  // namespace kesp::python
