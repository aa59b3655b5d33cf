#include "damage/cellPipeline.h"

#include <algorithm>
#include <bit>
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

// Cells the placer may be ahead of the last one folded, beyond one per
// worker: enough that neither side waits for the other at every cell.
constexpr unsigned cellsAhead = 16;

// A cluster as the cut found it, kept until the cell is folded.
struct FoundCluster {
    int code;
    std::int32_t first;
    std::int32_t last;
    std::int32_t lesions;
    std::int32_t strandBreaks;
};

// A lesion as the placer hands it on: its site (an index into the
// segment's codes) and its code.
struct Lesion {
    std::uint32_t site;
    std::uint8_t code;
};

// A cell in flight: the lesions chemical repair left, in site order,
// strand 1 then strand 2, and once cut, its clusters. The placer keeps the
// segment to itself: handing on this compact list instead of the scattered
// segment keeps the other threads from pulling thousands of cache lines of
// it across cores.
struct Slot {
    std::vector<Lesion> lesions;
    std::size_t strand2Begin = 0;
    std::vector<FoundCluster> clusters;
    bool cut = false;
};

void handOnLesions(const DnaSegment& segment, Slot& slot)
{
    slot.lesions.clear();
    const std::size_t positions = static_cast<std::size_t>(segment.length) + 1;
    for (std::size_t w = 0; w < 2 * segment.wordsPerStrand; ++w) {
        if (w == segment.wordsPerStrand) {
            slot.strand2Begin = slot.lesions.size();
        }
        const std::size_t strandIndex = w / segment.wordsPerStrand;
        const std::size_t firstPosition = (w % segment.wordsPerStrand) * 64;
        for (std::uint64_t bits = segment.occupied[w]; bits != 0; bits &= bits - 1) {
            const std::size_t site =
                strandIndex * positions + firstPosition + static_cast<std::size_t>(std::countr_zero(bits));
            slot.lesions.push_back({static_cast<std::uint32_t>(site), segment.codes[site]});
        }
    }
}

// The clusters of a segment, as the fold takes them.
void collectClusters(const DnaSegment& segment, Slot& slot)
{
    slot.clusters.clear();
    scanClusters(segment, [&slot](const ClusterBuilder& cluster, const ClusterClass& found) {
        slot.clusters.push_back({found.code, cluster.first, cluster.last, found.lesions, found.strandBreaks});
    });
}

// The clusters of the cell, as scanClusters finds them on the segment:
// both strands' lesions merged by position.
void cutIntoClusters(Slot& slot, std::int32_t length)
{
    const auto offset2 = static_cast<std::int64_t>(length) + 1;
    const std::vector<Lesion>& lesions = slot.lesions;
    const std::size_t end1 = slot.strand2Begin;
    const std::size_t end2 = lesions.size();
    constexpr std::int64_t none = std::numeric_limits<std::int64_t>::max();
    slot.clusters.clear();
    ClusterBuilder cluster;
    bool open = false;
    std::size_t i = 0;
    std::size_t j = end1;
    while (i < end1 || j < end2) {
        const std::int64_t p1 = i < end1 ? lesions[i].site : none;
        const std::int64_t p2 = j < end2 ? lesions[j].site - offset2 : none;
        const auto position = static_cast<std::int32_t>(std::min(p1, p2));
        std::int32_t code1 = noLesion;
        std::int32_t code2 = noLesion;
        if (p1 == position) {
            code1 = lesions[i++].code;
        }
        if (p2 == position) {
            code2 = lesions[j++].code;
        }
        if (!open) {
            cluster.start(position);
            open = true;
        } else if (position - cluster.last > minClusterSeparationBp) {
            const ClusterClass found = cluster.classify();
            slot.clusters.push_back({found.code, cluster.first, cluster.last, found.lesions, found.strandBreaks});
            cluster.start(position);
        }
        cluster.addPosition(position, code1, code2);
    }
    if (!open) {
        stopForMissingDamage();
    }
    const ClusterClass found = cluster.classify();
    slot.clusters.push_back({found.code, cluster.first, cluster.last, found.lesions, found.strandBreaks});
}

// Where every cell stands. Cells below `limit` are done in full: `limit` is
// the count asked for until the placer stops early (the stop flag) or a
// cell fails, and then the cells before it are still finished.
class Pipeline {
public:
    Pipeline(CellSimulation& cells, const CellDose& dose, int count, unsigned workers)
        : cells_(cells), dose_(dose), limit_(count), slots_(workers + cellsAhead)
    {
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
            // When the workers fall behind, the placer cuts the cell itself,
            // on its own segment, and hands on the clusters instead.
            const bool cutHere = cell - folded_ > static_cast<int>(cellsAhead / 2);
            slotOf(cell).cut = false;
            lock.unlock();
            const bool done = attempt(cell, [&] { placeAndRepair(slotOf(cell), cutHere); });
            lock.lock();
            if (!done) {
                fail(cell);
                break;
            }
            slotOf(cell).cut = cutHere;
            placed_ = cell + 1;
            changed_.notify_all();
        }
        changed_.notify_all();
    }

    void placeAndRepair(Slot& slot, bool cutHere)
    {
        placeCellLesions(cells_.segment, dose_, cells_.generator);
        applyChemicalRepair(cells_.segment, dose_.yields, cells_.streams);
        if (cutHere) {
            collectClusters(cells_.segment, slot);
        } else {
            handOnLesions(cells_.segment, slot);
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
        changed_.notify_all();
    }

    // The workers fold the cells into the tally in cell order, one worker at
    // a time, and cut any handed-on cell meanwhile, as the placer does while
    // it waits for a slot.
    void work()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (folded_ >= limit_) {
                return;  // the limit only ever falls, and never below a cell not yet folded
            }
            if (!folding_ && folded_ < placed_ && folded_ < limit_ && slotOf(folded_).cut) {
                foldNext(lock);
            } else if (!cutNext(lock)) {
                changed_.wait(lock);
            }
        }
    }

    // Cuts the next repaired cell into clusters, if there is one.
    bool cutNext(std::unique_lock<std::mutex>& lock)
    {
        // Cells the placer cut itself may be folded already, and their slots
        // taken by later cells.
        nextCut_ = std::max(nextCut_, folded_);
        while (nextCut_ < placed_ && slotOf(nextCut_).cut) {
            ++nextCut_;  // cut by the placer
        }
        if (nextCut_ >= placed_ || nextCut_ >= limit_) {
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

    // Folds the next cell; one worker at a time, in cell order.
    void foldNext(std::unique_lock<std::mutex>& lock)
    {
        const int cell = folded_;
        folding_ = true;
        lock.unlock();
        fold(cell);
        lock.lock();
        folding_ = false;
        folded_ = cell + 1;
        changed_.notify_all();
    }

    void cut(int cell) { cutIntoClusters(slotOf(cell), cells_.segment.length); }

    // Folds the cell's clusters into the tally, as one thread adds them.
    void fold(int cell)
    {
        Slot& slot = slotOf(cell);
        ClusterTally& tally = cells_.tally;
        clearCellTally(tally, cells_.touched);
        CellClusterSums sums{tally, cells_.touched, dose_.trackWeight};
        for (const FoundCluster& c : slot.clusters) {
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
    int nextCut_ = 0;
    int folded_ = 0;
    bool folding_ = false;
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
