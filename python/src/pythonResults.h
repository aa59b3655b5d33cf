#pragma once
// A run's results as Python holds them: with the settings they came from
// and the CPU time the run took, which the report and the JSON document show.

#include "kesp/engine/runResults.h"
#include "python/src/pythonSettings.h"

namespace kesp::python {

struct PythonResults {
    RunResults run;
    PythonSettings settings;
    double runningMinutes = 0.0;  // CPU time of the process while the run went on
};

}  // namespace kesp::python
