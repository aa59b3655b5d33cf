// kesp::RunError becomes kesp.InputError or kesp.RunError (python/kesp/_errors.py)
// with the kind of the error as a word.

#include <array>
#include <exception>
#include <string_view>

#include "python/src/runParts.h"
#include "support/runError.h"

namespace kesp::python {

namespace py = pybind11;

namespace {

std::string_view kindWord(ErrorKind kind)
{
    constexpr std::array<std::string_view, 8> words{"input",     "refused",  "physics", "non_finite_result",
                                                    "io",        "resources", "usage",  "internal"};
    return words.at(static_cast<std::size_t>(kind));
}

}  // namespace

void bindErrors(py::module_&)
{
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) {
                std::rethrow_exception(thrown);
            }
        } catch (const RunError& error) {
            const py::object made =
                py::module_::import("kesp._errors").attr("error_from_engine")(kindWord(error.kind()), error.what(),
                                                                              error.detail());
            PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(made.ptr())), made.ptr());
        }
    });
}

}  // namespace kesp::python
