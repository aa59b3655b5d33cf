#pragma once
// The settings of a run as Python holds them: the engine's settings with
// where they came from, for the results' provenance.

#include <optional>
#include <string>
#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"

namespace kesp::python {

struct PythonSettings {
    RunSettings run;
    std::optional<std::string> inputFile;  // the input file they were read from, if any
    std::vector<Diagnostic> diagnostics;   // what the reader said of it and its field file
    std::vector<std::string> switches;     // the switch words applied in reading it ("/no2")
    std::optional<std::string> inputSha256;  // of the input file's bytes, lower-case hex
};

}  // namespace kesp::python
