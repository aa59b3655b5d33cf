#include "python/src/bindings.h"

namespace kesp::python {

void bindRuns(pybind11::module_&) {}

}  // namespace kesp::python
