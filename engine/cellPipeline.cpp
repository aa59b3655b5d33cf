#include "kesp/engine/cellPipeline.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <semaphore>
#include <utility>
#include <vector>

#include "kesp/damage/chemicalRepair.h"
#include "kesp/support/threadStart.h"

namespace kesp {

namespace {

// Cells the placer may be ahead of the last one folded, beyond one per
// worker. Many: on a core shared with other work, the system pauses a
// worker for a time slice of several milliseconds, perhaps in the middle of
// the oldest cell in flight, and the placer goes on (cutting the cells
// itself) until it has this many cells ahead and must wait for it. Each
// slot holds lesion maps of at most 37 kB and a cell tally of 10 kB; the
// slots are used in turn, so a slot's maps are no longer in the cache of
// the worker that read them when the placer writes them again.
constexpr unsigned cellsAhead = 128;

// Counters written by different threads live on cache lines of their own,
// so that a write by one does not take the line from under the others.
constexpr std::size_t cacheLine = 64;

// Where the cell in a slot stands. A slot goes round free -> mapped ->
// cutting -> cut -> free, or from free straight to cut when the placer cuts
// the cell itself; a cell whose cutting throws leaves its slot failed until
// the next batch.
enum class SlotState : std::uint8_t {
    free,      // takes the next cell the placer places into it
    mapped,    // holds the lesion maps of a placed cell, waiting to be cut
    cutting,   // a thread is cutting its cell
    cut,       // its cell tally holds the cell, waiting to be folded
    failed,    // its cell threw; the batch ends before it
};

// A cell in flight: the maps of its lesions, which a worker cuts into
// clusters, and once cut, its clusters gathered in a cell tally, ready to be
// folded. `cell` and the rest are written by the one thread that moved the
// state on, before it publishes the new state.
struct Slot {
    std::atomic<SlotState> state{SlotState::free};
    int cell = 0;
    LesionMaps maps;
    CellTally tally;
};

}  // namespace

// The workers and what a batch shares between them and the placer. Cells
// below `limit_` are done in full: `limit_` is the count asked for until the
// placer stops early (the stop flag) or a cell fails, and then the cells
// before it are still finished. Every change another thread may wait for
// is followed by announce(); a waiting thread sleeps in the kernel until
// then.
class CellPipeline::Crew {
public:
    Crew(CellSimulation& cells, unsigned workers)
        : cells_(cells), slots_(workers + cellsAhead)
    {
        workers_ = startThreads(workers, [this](unsigned) { serveBatches(); });
    }

    ~Crew()
    {
        closing_ = true;
        batchBegun_.release(static_cast<std::ptrdiff_t>(workers_.size()));
        workers_.clear();  // joins them
    }

    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    bool hasWorkers() const { return !workers_.empty(); }

    // The calling thread places the cells, in order, while the workers do
    // the rest, and then helps them finish; returns the cells done and
    // throws the first failing cell's error.
    int simulate(const CellDose& dose, int count, const StopFlag& stop)
    {
        beginBatch(dose, count);
        batchBegun_.release(static_cast<std::ptrdiff_t>(workers_.size()));
        place(stop);
        serveBatch();
        for (std::size_t k = 0; k < workers_.size(); ++k) {
            batchEnded_.acquire();
        }
        if (error_) {
            std::rethrow_exception(std::exchange(error_, nullptr));
        }
        return folded_.load();
    }

private:
    Slot& slotOf(int cell) { return slots_[static_cast<std::size_t>(cell) % slots_.size()]; }
    int slotCount() const { return static_cast<int>(slots_.size()); }

    // With the workers waiting for the batch: every slot free.
    void beginBatch(const CellDose& dose, int count)
    {
        dose_ = &dose;
        for (Slot& slot : slots_) {
            slot.state = SlotState::free;
        }
        limit_ = count;
        placed_ = 0;
        folded_ = 0;
        errorCell_ = std::numeric_limits<int>::max();
    }

    void announce()
    {
        changes_.fetch_add(1);
        changes_.notify_all();
    }

    // A worker's life: a batch at a time, until the crew closes.
    void serveBatches()
    {
        for (;;) {
            batchBegun_.acquire();
            if (closing_) {
                return;
            }
            serveBatch();
            batchEnded_.release();
        }
    }

    // Folds and cuts cells until every cell of the batch is folded.
    void serveBatch()
    {
        for (;;) {
            const std::uint32_t seen = changes_.load();
            if (folded_.load() >= limit_.load()) {
                return;  // the limit only ever falls, and never below a cell not yet folded
            }
            if (!cutOne()) {
                changes_.wait(seen);
            }
        }
    }

    void place(const StopFlag& stop)
    {
        for (int cell = 0; cell < limit_.load(); ++cell) {
            if (stopRequested(stop)) {
                lowerLimit(cell);
                break;
            }
            if (!awaitFreeSlot(cell)) {
                break;
            }
            // When the workers are behind, the placer cuts the cell itself,
            // on its segment, and hands on its cell tally instead of lesion
            // maps, which would cost it the copying: when maps enough wait
            // for the workers, or the cells in flight fill all but this slot.
            const bool cutHere = mapsWaiting() > workers_.size() || cell - folded_.load() + 1 >= slotCount();
            Slot& slot = slotOf(cell);
            slot.cell = cell;
            if (!attempt(cell, [&] { placeAndRepair(slot, cutHere); })) {
                break;
            }
            slot.state = cutHere ? SlotState::cut : SlotState::mapped;
            placed_ = cell + 1;
            if (cutHere) {
                foldReadyCells();
            }
            announce();
        }
    }

    // The cells in flight that no thread is cutting yet.
    std::size_t mapsWaiting()
    {
        const int placed = placed_.load();
        std::size_t waiting = 0;
        for (int cell = folded_.load(); cell < placed; ++cell) {
            waiting += slotOf(cell).state.load() == SlotState::mapped ? 1 : 0;
        }
        return waiting;
    }

    // Waits until the cell's slot is free, helping to cut meanwhile; false
    // when the batch ends before the cell.
    bool awaitFreeSlot(int cell)
    {
        for (;;) {
            const std::uint32_t seen = changes_.load();
            if (cell >= limit_.load()) {
                return false;
            }
            if (cell - folded_.load() < slotCount()) {
                return true;
            }
            if (!cutOne()) {
                changes_.wait(seen);
            }
        }
    }

    // The maps are copied in one go each, not written bit by bit where a
    // worker has last read an earlier cell's maps, which would stall the
    // placer at every cache line.
    void placeAndRepair(Slot& slot, bool cutHere)
    {
        placeCellLesions(cells_.segment, *dose_, cells_.generator, cutHere ? nullptr : &slot.maps.strandBreaks);
        applyChemicalRepair(cells_.segment, dose_->yields, cells_.streams);
        if (cutHere) {
            tallyCellClusters(cells_.segment, slot.tally, dose_->trackWeight);
        } else {
            copyOccupancy(cells_.segment, slot.maps.lesions);
        }
    }

    // Cuts the first mapped cell there is and folds what it can then;
    // false when there was none.
    bool cutOne()
    {
        Slot* slot = claimMappedCell();
        if (slot == nullptr) {
            return false;
        }
        const bool done =
            attempt(slot->cell, [&] { tallyCellClusters(slot->maps, slot->tally, dose_->trackWeight); });
        slot->state = done ? SlotState::cut : SlotState::failed;
        foldReadyCells();
        announce();
        return true;
    }

    // Takes the first slot of the cells in flight that holds lesion maps; the
    // exchange makes sure only one thread takes it.
    Slot* claimMappedCell()
    {
        const int placed = placed_.load();
        for (int cell = folded_.load(); cell < placed; ++cell) {
            Slot& slot = slotOf(cell);
            SlotState expected = SlotState::mapped;
            if (slot.state.compare_exchange_strong(expected, SlotState::cutting)) {
                return &slot;
            }
        }
        return nullptr;
    }

    // Folds the cut cells that are next in cell order into the tally, one
    // thread at a time. A thread that finds another folding leaves the cells
    // to it: the folder looks again after it lets go, so no cell cut
    // meanwhile is left waiting.
    void foldReadyCells()
    {
        while (nextCellIsCut()) {
            if (folding_.exchange(true)) {
                return;
            }
            while (nextCellIsCut()) {
                const int cell = folded_.load();
                Slot& slot = slotOf(cell);
                endCell(cells_.tally, slot.tally);
                slot.state = SlotState::free;
                folded_ = cell + 1;
            }
            folding_ = false;
        }
    }

    bool nextCellIsCut()
    {
        const int cell = folded_.load();
        return cell < limit_.load() && slotOf(cell).state.load() == SlotState::cut;
    }

    // Does the step of the cell; a failure keeps the first failing cell's
    // error and ends the batch before that cell.
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
            lowerLimit(cell);
            return false;
        }
    }

    void lowerLimit(int cell)
    {
        int limit = limit_.load();
        while (cell < limit && !limit_.compare_exchange_weak(limit, cell)) {
        }
        announce();
    }

    CellSimulation& cells_;
    const CellDose* dose_ = nullptr;  // of the batch under way
    std::vector<Slot> slots_;

    alignas(cacheLine) std::atomic<int> limit_{0};
    alignas(cacheLine) std::atomic<int> placed_{0};
    alignas(cacheLine) std::atomic<int> folded_{0};
    std::atomic<bool> folding_{false};  // a thread is folding cells
    alignas(cacheLine) std::atomic<std::uint32_t> changes_{0};

    std::mutex errorMutex_;
    int errorCell_ = std::numeric_limits<int>::max();
    std::exception_ptr error_;

    // A worker takes one permit per batch and gives one back when it has
    // done its part; closing_ is set before the last permits are given.
    std::counting_semaphore<> batchBegun_{0};
    std::counting_semaphore<> batchEnded_{0};
    bool closing_ = false;
    std::vector<JoiningThread> workers_;  // last: joined before the rest goes
};

CellPipeline::CellPipeline(CellSimulation& cells, unsigned threads) : cells_(cells), threads_(threads) {}

CellPipeline::~CellPipeline() = default;

int CellPipeline::simulate(const CellDose& dose, int count, const StopFlag& stop, ProgressCounts& counts)
{
    if (!started_ && threads_ > 1 && count > 1) {
        started_ = true;
        crew_ = std::make_unique<Crew>(cells_, threads_ - 1);
        if (!crew_->hasWorkers()) {
            crew_.reset();
        }
    }
    if (crew_ && count > 1) {
        const int done = crew_->simulate(dose, count, stop);
        if (done > 0) {
            counts = progressCountsOf(cells_.tally);
        }
        return done;
    }
    int done = 0;
    for (; done < count && !stopRequested(stop); ++done) {
        counts = simulateCells(cells_, dose, 1);
    }
    return done;
}

}  // namespace kesp
