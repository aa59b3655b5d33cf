// The compiled part of the Python package kesp: the library's settings,
// runs, results and scans, bound with pybind11.

#include <pybind11/pybind11.h>

#include <string>

#include "kesp/report/banner.h"
#include "python/src/bindings.h"

PYBIND11_MODULE(_core, module)
{
    module.doc() = "KESP's engine: DNA damage clusters induced by ionising radiation, by Monte Carlo simulation.";
    module.attr("__version__") = std::string(kesp::programRelease());
    kesp::python::bindRuns(module);
    kesp::python::bindSurvival(module);
    kesp::python::bindScans(module);
}
