#pragma once
// A run's results as Python holds them: with the settings they came from,
// the time the run took, which the report shows, and the cell survival when
// the run was asked for it.

#include <optional>

#include "kesp/engine/runResults.h"
#include "kesp/support/runError.h"
#include "kesp/survival/cellSurvival.h"
#include "python/src/pythonSettings.h"

namespace kesp::python {

struct PythonResults {
    RunResults run;
    PythonSettings settings;
    double runningMinutes = 0.0;  // wall-clock time of the run, minutes
    std::optional<CellSurvival> survival;  // the cell survival asked for
    std::optional<RunError> survivalError;  // why the model could not give it
};

}  // namespace kesp::python
