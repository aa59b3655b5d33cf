#include "python/src/bindings.h"
#include "python/src/runParts.h"

namespace kesp::python {

void bindRuns(pybind11::module_& module)
{
    bindErrors(module);
    bindSettings(module);
    bindResults(module);
    bindSimulation(module);
}

}  // namespace kesp::python
