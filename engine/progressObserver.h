#pragma once
/// \file
/// How a run tells its caller how far it has come. The program's console
/// display is one observer; a caller that runs many configurations passes its
/// own, or NoProgress.

#include "kesp/damage/progressCounts.h"

namespace kesp {

/// The kind of progress table: its last column is cells per CPU second for a
/// single particle ("sim/s") and the stopping power over the cumulative
/// weight of the components begun for a mixed field ("Scoll").
enum class ProgressTable {
    singleParticle,  ///< the table of a single-particle run, last column "sim/s"
    mixedField       ///< the table of a mixed-field run, last column "Scoll"
};

/// One line of the progress table: how far the run has come.
struct ProgressUpdate {
    double elapsedMinutes = 0.0;    ///< CPU time since the simulation began, minutes
    double remainingMinutes = 0.0;  ///< estimated CPU time still needed, minutes
    ProgressCounts counts;          ///< run totals of clusters so far
    int cellsDone = 0;              ///< cells simulated so far
    double lastColumn = 0.0;        ///< see ProgressTable
};

/// What a run tells of its progress. The run calls it on the thread that
/// called simulate, never from two threads at once.
class ProgressObserver {
public:
    /// An observer may be destroyed through this interface.
    virtual ~ProgressObserver() = default;
    /// The simulation begins a table of progress lines (at most once a run).
    virtual void tableStarted(ProgressTable table) = 0;
    /// The run has come this far: called now and then while the cells are
    /// simulated, after a batch of them.
    virtual void progressed(const ProgressUpdate& update) = 0;
};

/// The observer of a caller that shows no progress: it ignores everything.
class NoProgress final : public ProgressObserver {
public:
    /// Ignores the start of the table.
    void tableStarted(ProgressTable) override {}
    /// Ignores the update.
    void progressed(const ProgressUpdate&) override {}
};

}  // namespace kesp
