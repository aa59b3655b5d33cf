#pragma once
// How a run tells its caller how far it has come. The program's console
// display is one observer; a caller that runs many configurations passes its
// own, or NoProgress.

#include "kesp/damage/progressCounts.h"

namespace kesp {

// The kind of progress table: its last column is cells per CPU second for a
// single particle ("sim/s") and the stopping power over the cumulative
// weight of the components begun for a mixed field ("Scoll").
enum class ProgressTable { singleParticle, mixedField };

struct ProgressUpdate {
    double elapsedMinutes = 0.0;    // CPU time since the simulation began
    double remainingMinutes = 0.0;  // estimated CPU time still needed
    ProgressCounts counts;          // run totals of clusters so far
    int cellsDone = 0;
    double lastColumn = 0.0;        // see ProgressTable
};

class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    // The simulation begins a table of progress lines (at most once a run).
    virtual void tableStarted(ProgressTable table) = 0;
    virtual void progressed(const ProgressUpdate& update) = 0;
};

class NoProgress final : public ProgressObserver {
public:
    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate&) override {}
};

}  // namespace kesp
