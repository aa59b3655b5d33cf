#include "engine/cellPipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "damage/chemicalRepair.h"

namespace kesp {

namespace {

// Cells the placer may be ahead of the last one folded, beyond one per
// worker. Few: every cell in flight holds its lesions in memory, and the
// placer's segment and these records should stay in its core's cache.
constexpr unsigned cellsAhead = 4;

// How long a waiting thread polls before it sleeps.
constexpr std::chrono::microseconds pollingTime{500};

// A cell in flight: the record of its lesions, from which a worker
// rebuilds its segment (a short list in placement order is far cheaper to
// hand across cores than the scattered segment), and once cut, its
// clusters gathered in a cell tally, ready to be folded.
struct Slot {
    LesionRecord record;
    CellTally cell;
    bool cut = false;      // the cell tally holds the cell
    bool cutting = false;  // a thread is cutting it
};

// Where every cell stands. Cells below `limit` are done in full: `limit` is
// the count asked for until the placer stops early (the stop flag) or a
// cell fails, and then the cells before it are still finished.
class Pipeline {
public:
    Pipeline(CellSimulation& cells, const CellDose& dose, int count, unsigned workers)
        : cells_(cells), dose_(dose), limit_(count), slots_(workers + cellsAhead), segments_(workers)
    {
        for (DnaSegment& segment : segments_) {
            allocateSegment(segment, cells.segment.length);
        }
    }

    // The calling thread places the cells, in order, while the workers do
    // the rest; returns the cells done and throws the first cell's error.
    // When the system refuses a worker thread, the run goes on with those it
    // has; with none (nothing is placed then) it returns nothing, and the
    // caller simulates the cells one after the other.
    std::optional<int> run(const StopFlag& stop)
    {
        std::vector<std::jthread> pool;
        for (DnaSegment& segment : segments_) {
            try {
                pool.emplace_back([this, &segment] { work(segment); });
            } catch (const std::system_error&) {
                break;
            }
        }
        if (pool.empty()) {
            return std::nullopt;
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

    // Called with the lock held after a change of the pipeline's state.
    void announceChange()
    {
        changes_.fetch_add(1, std::memory_order_release);
        changed_.notify_all();
    }

    // Waits, with the lock held on entry and on return, for the next change.
    // Waits of a few cells' time are spent polling, so that a thread
    // waiting for another keeps its core: one put to sleep hands its core
    // to whatever else the machine runs, which leaves its caches cold.
    void awaitChange(std::unique_lock<std::mutex>& lock)
    {
        const std::uint64_t seen = changes_.load(std::memory_order_acquire);
        lock.unlock();
        const auto until = std::chrono::steady_clock::now() + pollingTime;
        while (changes_.load(std::memory_order_acquire) == seen && std::chrono::steady_clock::now() < until) {
            std::this_thread::yield();
        }
        lock.lock();
        changed_.wait(lock, [this, seen] { return changes_.load(std::memory_order_acquire) != seen; });
    }

    void place(const StopFlag& stop)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (int cell = 0; cell < limit_; ++cell) {
            if (stopRequested(stop)) {
                limit_ = cell;
                break;
            }
            // While the cell's slot is still taken, the placer helps cutting
            // on its own segment, which the next placement clears anyway.
            while (cell - folded_ >= static_cast<int>(slots_.size()) && cell < limit_) {
                if (!cutNext(lock, cells_.segment)) {
                    awaitChange(lock);
                }
            }
            if (cell >= limit_) {
                break;
            }
            // When the cells in flight fill all but this slot, the workers
            // are behind: the placer cuts the cell itself, on its segment,
            // and hands on its cell tally instead.
            const bool cutHere = cell - folded_ + 1 >= static_cast<int>(slots_.size());
            Slot& slot = slotOf(cell);
            slot.cut = false;
            lock.unlock();
            const bool done = attempt(cell, [&] { placeAndRepair(slot, cutHere); });
            lock.lock();
            if (!done) {
                fail(cell);
                break;
            }
            slot.cut = cutHere;
            placed_ = cell + 1;
            announceChange();
        }
        announceChange();
    }

    void placeAndRepair(Slot& slot, bool cutHere)
    {
        LesionRecord* record = cutHere ? nullptr : &placing_;
        placeCellLesions(cells_.segment, dose_, cells_.generator, record);
        applyChemicalRepair(cells_.segment, dose_.yields, cells_.streams, record);
        if (cutHere) {
            tallyCellClusters(cells_.segment, slot.cell, dose_.trackWeight);
        } else {
            slot.record.placed.assign(placing_.placed.begin(), placing_.placed.end());
            slot.record.repaired.assign(placing_.repaired.begin(), placing_.repaired.end());
        }
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
        announceChange();
    }

    // The workers cut the handed-on cells, each on a segment of its own, and
    // fold the cut cells into the tally in cell order, one at a time.
    void work(DnaSegment& segment)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (folded_ >= limit_) {
                return;  // the limit only ever falls, and never below a cell not yet folded
            }
            if (!folding_ && folded_ < placed_ && slotOf(folded_).cut) {
                foldNext(lock);
            } else if (!cutNext(lock, segment)) {
                awaitChange(lock);
            }
        }
    }

    // Cuts the first placed cell that no one has cut or is cutting, if there
    // is one, on the given segment.
    bool cutNext(std::unique_lock<std::mutex>& lock, DnaSegment& segment)
    {
        int cell = folded_;
        while (cell < placed_ && (slotOf(cell).cut || slotOf(cell).cutting)) {
            ++cell;
        }
        if (cell >= placed_ || cell >= limit_) {
            return false;
        }
        Slot& slot = slotOf(cell);
        slot.cutting = true;
        lock.unlock();
        const bool done = attempt(cell, [&] {
            rebuildSegment(segment, slot.record);
            tallyCellClusters(segment, slot.cell, dose_.trackWeight);
        });
        lock.lock();
        slot.cutting = false;
        slot.cut = done;
        if (!done) {
            fail(cell);
        }
        announceChange();
        return true;
    }

    // Folds the next cell, cut, into the tally; one worker at a time, in
    // cell order.
    void foldNext(std::unique_lock<std::mutex>& lock)
    {
        const int cell = folded_;
        folding_ = true;
        lock.unlock();
        endCell(cells_.tally, slotOf(cell).cell);
        lock.lock();
        folding_ = false;
        folded_ = cell + 1;
        announceChange();
    }

    CellSimulation& cells_;
    const CellDose& dose_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<std::uint64_t> changes_{0};
    int limit_;
    int placed_ = 0;
    int folded_ = 0;
    bool folding_ = false;
    std::vector<Slot> slots_;
    std::vector<DnaSegment> segments_;  // one for each worker
    // The record of the cell being placed, copied into its slot in one go:
    // written there lesion by lesion, where a worker has last read an
    // earlier cell's record, it would stall the placer at every cache line.
    LesionRecord placing_;
    std::mutex errorMutex_;
    int errorCell_ = std::numeric_limits<int>::max();
    std::exception_ptr error_;
};

}  // namespace

int simulateCellsOnThreads(CellSimulation& cells, const CellDose& dose, int count, const StopFlag& stop,
                           unsigned threads, ProgressCounts& counts)
{
    if (threads > 1 && count > 1) {
        Pipeline pipeline(cells, dose, count, threads - 1);
        if (const std::optional<int> done = pipeline.run(stop)) {
            if (*done > 0) {
                counts = progressCountsOf(cells.tally);
            }
            return *done;
        }
    }
    int done = 0;
    for (; done < count && !stopRequested(stop); ++done) {
        counts = simulateCells(cells, dose, 1);
    }
    return done;
}

}  // namespace kesp
