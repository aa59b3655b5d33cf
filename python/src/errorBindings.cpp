// kesp::RunError becomes kesp.InputError or kesp.RunError (python/kesp/_errors.py)
// with the kind of the error as a word.

#include <exception>
#include <string_view>

#include "python/src/pythonText.h"
#include "python/src/runParts.h"
#include "kesp/support/runError.h"

namespace kesp::python {

namespace py = pybind11;

void bindErrors(py::module_&)
{
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) {
                std::rethrow_exception(thrown);
            }
        } catch (const RunError& error) {
            // A message may name a file whose name is not UTF-8.
            const py::object made = py::module_::import("kesp._errors")
                                        .attr("error_from_engine")(errorKindWord(error.kind()),
                                                                   messageText(error.what()),
                                                                   messageText(error.detail()));
            PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(made.ptr())), made.ptr());
        }
    });
}

}  // namespace kesp::python
