#include "damage/cellPipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "damage/chemicalRepair.h"
#include "damage/clusterFinder.h"

namespace kesp {

namespace {

// A cluster as the cut found it, kept until the cell is folded.
struct FoundCluster {
    int code;
    std::int32_t first;
    std::int32_t last;
    std::int32_t lesions;
    std::int32_t strandBreaks;
};

// A cell in flight: its segment and, once cut, its clusters.
struct Slot {
    DnaSegment segment;
    std::vector<FoundCluster> clusters;
    bool cut = false;
};

// Where every cell stands. Cells below `limit` are done in full: `limit` is
// the count asked for until the placer stops early (the stop flag) or a
// cell fails, and then the cells before it are still finished.
class Pipeline {
public:
    Pipeline(CellSimulation& cells, const CellDose& dose, int count, unsigned workers)
        : cells_(cells), dose_(dose), limit_(count), slots_(workers + 2)
    {
        for (Slot& slot : slots_) {
            slot.segment.baseTypeSkip = cells.segment.baseTypeSkip;
            allocateSegment(slot.segment, cells.segment.length);
        }
    }

    // The calling thread places the cells, in order, while the workers do
    // the rest; returns the cells done and throws the first cell's error.
    int run(const StopFlag& stop, unsigned workers)
    {
        std::vector<std::jthread> pool;
        for (unsigned i = 0; i < workers; ++i) {
            pool.emplace_back([this] { work(); });
        }
        place(stop);
        pool.clear();
        if (error_) {
            std::rethrow_exception(error_);
        }
        return folded_;
    }

private:
    Slot& slotOf(int cell) { return slots_[static_cast<std::size_t>(cell) % slots_.size()]; }

    void place(const StopFlag& stop)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (int cell = 0; cell < limit_; ++cell) {
            if (stopRequested(stop)) {
                limit_ = cell;
                break;
            }
            // While the cell's slot is still taken, the placer helps cutting.
            while (cell - folded_ >= static_cast<int>(slots_.size()) && cell < limit_) {
                if (!cutNext(lock)) {
                    changed_.wait(lock);
                }
            }
            if (cell >= limit_) {
                break;
            }
            slotOf(cell).cut = false;
            lock.unlock();
            const bool done = attempt(cell, [&] { placeCellLesions(slotOf(cell).segment, dose_, cells_.generator); });
            lock.lock();
            if (!done) {
                fail(cell);
                break;
            }
            placed_ = cell + 1;
            changed_.notify_all();
        }
        changed_.notify_all();
    }

    // Does the step of the cell; a failure lowers the limit to the cell.
    template <typename Step>
    bool attempt(int cell, Step&& step)
    {
        try {
            step();
            return true;
        } catch (...) {
            const std::lock_guard<std::mutex> lock(errorMutex_);
            if (cell < errorCell_) {
                errorCell_ = cell;
                error_ = std::current_exception();
            }
            return false;
        }
    }

    void fail(int cell)
    {
        limit_ = std::min(limit_, cell);
        changed_.notify_all();
    }

    // The workers take the steps in cell order where order counts (repair,
    // folding; one worker at a time) and cut any repaired cell meanwhile,
    // as the placer does while it waits for a slot.
    void work()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (folded_ >= limit_) {
                return;  // the limit only ever falls, and never below a cell not yet folded
            }
            if (!ordered_ && folded_ < repaired_ && folded_ < limit_ && slotOf(folded_).cut) {
                orderedStep(lock, folded_, [this](int cell) { fold(cell); }, folded_);
            } else if (!ordered_ && repaired_ < placed_ && repaired_ < limit_) {
                orderedStep(lock, repaired_, [this](int cell) {
                    applyChemicalRepair(slotOf(cell).segment, dose_.yields, cells_.streams);
                }, repaired_);
            } else if (!cutNext(lock)) {
                changed_.wait(lock);
            }
        }
    }

    // Cuts the next repaired cell into clusters, if there is one.
    bool cutNext(std::unique_lock<std::mutex>& lock)
    {
        if (nextCut_ >= repaired_ || nextCut_ >= limit_) {
            return false;
        }
        const int cell = nextCut_++;
        lock.unlock();
        const bool done = attempt(cell, [&] { cut(cell); });
        lock.lock();
        slotOf(cell).cut = done;
        if (!done) {
            fail(cell);
        }
        changed_.notify_all();
        return true;
    }

    // A step that goes in cell order: `next` counts the cells it has done.
    template <typename Step>
    void orderedStep(std::unique_lock<std::mutex>& lock, int cell, Step&& step, int& next)
    {
        ordered_ = true;
        lock.unlock();
        const bool done = attempt(cell, [&] { step(cell); });
        lock.lock();
        ordered_ = false;
        if (done) {
            next = cell + 1;
        } else {
            fail(cell);
        }
        changed_.notify_all();
    }

    void cut(int cell)
    {
        Slot& slot = slotOf(cell);
        slot.clusters.clear();
        scanClusters(slot.segment, [&slot](const ClusterBuilder& cluster, const ClusterClass& found) {
            slot.clusters.push_back({found.code, cluster.first, cluster.last, found.lesions, found.strandBreaks});
        });
    }

    // Folds the cell's clusters into the tally, as one thread adds them.
    void fold(int cell)
    {
        Slot& slot = slotOf(cell);
        ClusterTally& tally = cells_.tally;
        clearCellTally(tally, cells_.touched);
        CellClusterSums sums{tally, cells_.touched, dose_.trackWeight};
        for (const FoundCluster& c : slot.clusters) {
            tally.classCount[static_cast<std::size_t>(c.code)] += 1;
            sums.add(c.code, c.first, c.last, c.lesions, c.strandBreaks);
        }
        sums.finish();
        endCell(tally, cells_.touched);
    }

    CellSimulation& cells_;
    const CellDose& dose_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int limit_;
    int placed_ = 0;
    int repaired_ = 0;
    int nextCut_ = 0;
    int folded_ = 0;
    bool ordered_ = false;  // a worker is repairing or folding
    std::vector<Slot> slots_;
    std::mutex errorMutex_;
    int errorCell_ = std::numeric_limits<int>::max();
    std::exception_ptr error_;
};

}  // namespace

int simulateCellsOnThreads(CellSimulation& cells, const CellDose& dose, int count, const StopFlag& stop,
                           unsigned threads, ProgressCounts& counts)
{
    if (threads <= 1 || count <= 1) {
        int done = 0;
        for (; done < count && !stopRequested(stop); ++done) {
            counts = simulateCells(cells, dose, 1);
        }
        return done;
    }
    const unsigned workers = threads - 1;
    Pipeline pipeline(cells, dose, count, workers);
    const int done = pipeline.run(stop, workers);
    if (done > 0) {
        counts = progressCountsOf(cells.tally);
    }
    return done;
}

}  // namespace kesp
