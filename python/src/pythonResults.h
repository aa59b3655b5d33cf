#pragma once
// A run's results as Python holds them: with the settings they came from
// and the time the run took, which the report shows.

#include "kesp/engine/runResults.h"
#include "python/src/pythonSettings.h"

namespace kesp::python {

struct PythonResults {
    RunResults run;
    PythonSettings settings;
    double runningMinutes = 0.0;  // wall-clock time of the run, minutes
};

}  // namespace kesp::python
