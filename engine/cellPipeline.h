#pragma once
// Simulating cells on several threads with the results of one thread, bit
// for bit. A cell's lesion placement needs only the combined generator and
// its chemical repair only stream 1, each in cell order; cutting its lesions
// into clusters needs neither; and folding its clusters into the run sums
// must go in cell order. So one thread places and repairs the lesions of
// each cell in turn and hands on maps of them (which sites hold a lesion,
// which a strand break), other threads cut earlier cells' maps into
// clusters, gathered in a tally of the cell, and the cells' tallies are
// folded into the run's strictly in cell order. When the others fall
// behind, the placing thread cuts a cell itself.

#include <memory>

#include "kesp/damage/cellSimulation.h"
#include "kesp/support/stopFlag.h"

namespace kesp {

// The threads that simulate the cells of one run, batch after batch. The
// calling thread places the cells; the workers, up to threads - 1 of them,
// are started with the first batch of more than one cell and kept until the
// pipeline is destroyed, waiting without using a core between batches. When
// the system refuses a worker thread, the run goes on with those it has, or
// on the calling thread alone.
class CellPipeline {
public:
    CellPipeline(CellSimulation& cells, unsigned threads);
    ~CellPipeline();
    CellPipeline(const CellPipeline&) = delete;
    CellPipeline& operator=(const CellPipeline&) = delete;

    // Simulates up to `count` cells of the dose (one thread: one cell after
    // the other, as simulateCells does), looking at `stop` before placing
    // each. The generators, the tally and `counts` (the run totals after the
    // last cell) are left as simulating the cells done one at a time leaves
    // them; returns the cells done. A cell that stops the run throws its
    // RunError after the cells before it are folded into the tally, as one
    // thread would. The run's segment must be allocated for the dose.
    int simulate(const CellDose& dose, int count, const StopFlag& stop, ProgressCounts& counts);

private:
    class Crew;

    CellSimulation& cells_;
    unsigned threads_;
    bool started_ = false;  // whether the workers were asked for
    std::unique_ptr<Crew> crew_;
};

}  // namespace kesp
