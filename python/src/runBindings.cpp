// The parts of kesp._core, and the reading of input files through the
// library's requests: the file is loaded within the size an input file may
// have, then read as kesp reads it.

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kesp/input/runSwitches.h"
#include "kesp/report/runRequest.h"
#include "kesp/support/runError.h"
#include "python/src/bindings.h"
#include "python/src/pythonSettings.h"
#include "python/src/runParts.h"

namespace kesp::python {

namespace py = pybind11;
using namespace py::literals;

namespace {

// The input file read with the switch words given, keeping its diagnostics.
PythonSettings readInputFile(const std::filesystem::path& path, const std::vector<std::string>& words)
{
    RunRequest request;
    for (const std::string& word : words) {
        if (!applySwitchWord(word, request.switches) || word == "/strict") {
            throw py::value_error("not a switch of an input file: " + word + " (give /no2, /nq or /2006)");
        }
    }
    InputText input;
    const InputFileAccess access = loadInputText(path.string(), input);
    if (access != InputFileAccess::read) {
        // A file that is too large is the input's fault; one that cannot be
        // read at all is the file system's, as the library says of it.
        stopRun(access == InputFileAccess::tooLarge ? ErrorKind::input : ErrorKind::io,
                inputAccessMessage(access, input));
    }
    request.source = std::move(input);
    const RequestRun read(std::move(request));
    const RunOutcome& outcome = read.outcome();
    if (outcome.error) {
        throw *outcome.error;
    }
    PythonSettings settings;
    settings.run = *outcome.settings;
    settings.inputFile = path.string();
    settings.diagnostics = outcome.diagnostics;
    settings.switches = words;
    return settings;
}

}  // namespace

void bindRuns(py::module_& module)
{
    bindErrors(module);
    bindSettings(module);
    bindResults(module);
    bindSimulation(module);
    module.def("read_input_file", &readInputFile, "path"_a, "switches"_a);
}

}  // namespace kesp::python
