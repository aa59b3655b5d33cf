#include "python/src/bindings.h"

namespace kesp::python {

void bindScans(pybind11::module_&) {}

}  // namespace kesp::python
