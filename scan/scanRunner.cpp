#include "scan/scanRunner.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "kesp/engine/engine.h"
#include "kesp/report/scanPairing.h"
#include "kesp/support/parallelFor.h"

namespace kesp {

namespace {

// Works out the physics of each radiation once, when the first run of it
// starts: a run of a radiation no other job has begun works it out, one of
// a radiation another job is working out waits for it rather than working
// it out a second time. Each run so starts as soon as a job is free, and
// its row is written as soon as it is done, rather than after all the
// scan's physics.
class PhysicsOnce {
public:
    explicit PhysicsOnce(const ScanPlan& plan) : plan_(plan) {}

    // The physics the run takes from here: nothing when the scan was
    // interrupted before it was worked out (a run under way at an
    // interruption finishes), a null pointer when it could not be worked
    // out (the run then meets the failure itself and says so).
    std::optional<std::shared_ptr<const RadiationPhysics>> prepare(const ScanRun& run,
                                                                   const std::function<bool()>& interrupted)
    {
        RunSettings settings;
        try {
            settings = settingsOf(plan_, run);
        } catch (const std::exception&) {
            return nullptr;
        }
        std::shared_future<Piece> piece;
        std::optional<std::promise<Piece>> mine = claim(radiationPhysicsKey(settings), piece);
        if (mine) {
            mine->set_value(interrupted() ? Piece{} : Piece{workOut(settings)});
        }
        return piece.get();
    }

private:
    using Piece = std::optional<std::shared_ptr<const RadiationPhysics>>;

    // The promise to work the physics out, or nothing when another job has
    // begun it; `piece` is where it arrives.
    std::optional<std::promise<Piece>> claim(const RadiationPhysicsKey& key, std::shared_future<Piece>& piece)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto [found, first] = pieces_.try_emplace(key);
        if (!first) {
            piece = found->second;
            return std::nullopt;
        }
        std::promise<Piece> promise;
        found->second = piece = promise.get_future().share();
        return promise;
    }

    static std::shared_ptr<const RadiationPhysics> workOut(const RunSettings& settings)
    {
        try {
            RunSettings oneThread = settings;
            oneThread.threads = 1;
            SimulationRun physics(oneThread);
            return physics.radiationPhysics();
        } catch (const std::exception&) {
            return nullptr;
        }
    }

    const ScanPlan& plan_;
    std::mutex mutex_;
    std::map<RadiationPhysicsKey, std::shared_future<Piece>> pieces_;
};

RunResults physicsOf(SimulationRun& run)
{
    RunResults results;
    results.singleParticle = run.settings().field.singleParticle();
    if (results.singleParticle) {
        results.particle = run.particlePhysics();
        results.yields = run.damageYields();
    } else {
        results.components = run.componentRows();
    }
    return results;
}

// Passes on the cells a run simulates as the run reports them.
class CellCounter final : public ProgressObserver {
public:
    explicit CellCounter(ScanActivity* activity) : activity_(activity) {}

    void tableStarted(ProgressTable) override {}
    void progressed(const ProgressUpdate& update) override { countUpTo(update.cellsDone); }

    void countUpTo(std::int64_t cells)
    {
        if (activity_ != nullptr && cells > counted_) {
            activity_->cellsSimulated(cells - counted_);
            counted_ = cells;
        }
    }

private:
    ScanActivity* activity_;
    std::int64_t counted_ = 0;
};

RowValues valuesOf(const ScanPlan& plan, const ScanRun& run, const ScanRunOptions& options,
                   std::shared_ptr<const RadiationPhysics> physics)
{
    RunSettings settings = settingsOf(plan, run);
    settings.threads = 1;  // the jobs fill the CPUs
    SimulationRun simulation(settings, std::move(physics));
    RunResults results;
    if (options.mode == ScanMode::physicsOnly) {
        results = physicsOf(simulation);
    } else {
        CellCounter counter(options.activity);
        results = simulation.simulate(counter);
        counter.countUpTo(results.cellsSimulated);
    }
    return rowValues(plan.scan, run.configuration, settings, results, options.mode);
}

// The finished runs, and the rows handed on so far.
class RowCollector {
public:
    RowCollector(const ScanPlan& plan, const std::vector<std::size_t>& rows, ScanMode mode, const RowSink& sink,
                 const RowsDone& done, const AheadSink& ahead)
        : plan_(plan), rows_(rows), sink_(sink), ahead_(ahead), references_(plan.references.size()), pending_(done)
    {
        pairings_.reserve(rows.size());
        for (const std::size_t configuration : rows) {
            pairings_.push_back(rowPairing(plan, configuration, mode));
            if (pairings_.back().oxygenPartner) {
                partners_.emplace(*pairings_.back().oxygenPartner, std::nullopt);
            }
        }
        for (const auto& [position, row] : done) {
            keepAsPartner(rows_[position], row);
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        handOn();
    }

    void rowDone(std::size_t position, const RowValues& values)
    {
        const PendingRow row = pendingRowOf(values);
        const std::lock_guard<std::mutex> lock(mutex_);
        keepAsPartner(rows_[position], row);
        pending_.emplace(position, row);
        handOn();
        if (ahead_ && pending_.contains(position)) {
            ahead_(position, row);
        }
    }

    void referenceDone(std::size_t reference, const RowValues& values)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        references_[reference] = pendingRowOf(values);
        handOn();
    }

    // A run of a configuration outside the rows, for the OER of a row.
    void partnerDone(std::size_t configuration, const RowValues& values)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        keepAsPartner(configuration, pendingRowOf(values));
        handOn();
    }

private:
    // The row's fields formed from other runs; a failure names the row.
    std::vector<std::string> fieldsOf(std::size_t position, const PendingRow& row, const PairedRuns& runs) const
    {
        try {
            return pairedFields(plan_.scan, pairings_[position], row, runs);
        } catch (const RunError& error) {
            const ScanRun run = plan_.row(rows_[position]);
            throw RunError(error.kind(), "Configuration " + std::to_string(run.number) + " ("
                                             + describeConfiguration(plan_.scan, run.configuration)
                                             + "): its survival columns: " + error.what());
        }
    }

    void keepAsPartner(std::size_t configuration, const PendingRow& row)
    {
        const auto found = partners_.find(configuration);
        if (found != partners_.end()) {
            found->second = row;
        }
    }

    // Hands on every row whose turn it is and whose other runs are done.
    void handOn()
    {
        while (next_ < rows_.size()) {
            const auto found = pending_.find(next_);
            if (found == pending_.end()) {
                return;
            }
            const RowPairing& pairing = pairings_[next_];
            const PendingRow* reference = nullptr;
            if (pairing.rbeColumns) {
                const std::optional<PendingRow>& done = references_[pairing.reference];
                if (!done) {
                    return;
                }
                reference = &*done;
            }
            const PendingRow* partner = nullptr;
            if (pairing.oxygenPartner) {
                const std::optional<PendingRow>& done = partners_.at(*pairing.oxygenPartner);
                if (!done) {
                    return;
                }
                partner = &*done;
            }
            const PendingRow* cellReference = nullptr;
            if (pairing.survivalColumns) {
                const std::optional<PendingRow>& done = references_[pairing.cellReference];
                if (!done) {
                    return;
                }
                cellReference = &*done;
            }
            sink_(rows_[next_], tableLine(found->second, fieldsOf(next_, found->second,
                                                                  PairedRuns{reference, partner, cellReference})));
            pending_.erase(found);
            ++next_;
        }
    }

    const ScanPlan& plan_;
    const std::vector<std::size_t>& rows_;
    const RowSink& sink_;
    const AheadSink& ahead_;
    std::mutex mutex_;
    std::vector<RowPairing> pairings_;                               // by position
    std::vector<std::optional<PendingRow>> references_;
    std::map<std::size_t, std::optional<PendingRow>> partners_;  // by configuration: the rows OERs pair with
    RowsDone pending_;
    std::size_t next_ = 0;
};

// The first failure in job order.
class Failure {
public:
    void record(std::size_t job, ErrorKind kind, std::string message)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!job_ || job < *job_) {
            job_ = job;
            kind_ = kind;
            message_ = std::move(message);
        }
    }

    void rethrow() const
    {
        if (job_) {
            throw RunError(kind_, message_);
        }
    }

private:
    std::mutex mutex_;
    std::optional<std::size_t> job_;
    ErrorKind kind_ = ErrorKind::internal;
    std::string message_;
};

std::string nameOf(const ScanPlan& plan, const ScanRun& run)
{
    return std::string(run.reference ? "Reference run " : "Configuration ") + std::to_string(run.number) + " ("
           + describeConfiguration(plan.scan, run.configuration) + ", " + inputFileNameOf(plan, run) + ")";
}

enum class RunKind {
    row,        // a row of the table
    reference,  // a reference run of the RBE
    partner,    // a configuration outside the rows that the OER of a row pairs it with
};

// The runs in the order they start, and for a row's run its position.
struct RunOrder {
    std::vector<ScanRun> runs;
    std::vector<RunKind> kinds;
    std::vector<std::optional<std::size_t>> positions;  // nothing but for a row
};

// Each reference run goes just before the first row that needs it, so that
// rows reach the table from the start rather than after all references; the
// row an OER pairs a row with goes just after it (run as a partner when it
// is outside the rows), so that the row need not wait for the end of the
// scan. A row done before still needs its reference to be handed on.
RunOrder runOrder(const ScanPlan& plan, const std::vector<std::size_t>& rows, ScanMode mode, const RowsDone& done)
{
    std::map<std::size_t, std::size_t> positionOf;
    for (std::size_t position = 0; position < rows.size(); ++position) {
        positionOf.emplace(rows[position], position);
    }
    RunOrder order;
    std::set<std::size_t> referencesRun;
    std::set<std::size_t> positionsRun;
    std::set<std::size_t> partnersRun;
    const auto add = [&order](ScanRun run, RunKind kind, std::optional<std::size_t> position) {
        order.runs.push_back(std::move(run));
        order.kinds.push_back(kind);
        order.positions.push_back(position);
    };
    const auto addRow = [&](std::size_t position) {
        const RowPairing pairing = rowPairing(plan, rows[position], mode);
        if (pairing.survivalColumns && referencesRun.insert(pairing.cellReference).second) {
            add(plan.referenceRun(pairing.cellReference), RunKind::reference, std::nullopt);
        }
        if (pairing.rbeColumns && referencesRun.insert(pairing.reference).second) {
            add(plan.referenceRun(pairing.reference), RunKind::reference, std::nullopt);
        }
        if (!done.contains(position) && positionsRun.insert(position).second) {
            add(plan.row(rows[position]), RunKind::row, position);
        }
        return pairing.oxygenPartner;
    };
    for (std::size_t position = 0; position < rows.size(); ++position) {
        const std::optional<std::size_t> partner = addRow(position);
        if (!partner) {
            continue;
        }
        const auto found = positionOf.find(*partner);
        if (found != positionOf.end()) {
            addRow(found->second);
        } else if (partnersRun.insert(*partner).second) {
            add(plan.row(*partner), RunKind::partner, std::nullopt);
        }
    }
    return order;
}

}  // namespace

std::vector<std::size_t> partnerRuns(const ScanPlan& plan, const std::vector<std::size_t>& rows, ScanMode mode)
{
    std::set<std::size_t> inRows(rows.begin(), rows.end());
    std::vector<std::size_t> partners;
    std::set<std::size_t> seen;
    for (const std::size_t configuration : rows) {
        const std::optional<std::size_t> partner = rowPairing(plan, configuration, mode).oxygenPartner;
        if (partner && !inRows.contains(*partner) && seen.insert(*partner).second) {
            partners.push_back(*partner);
        }
    }
    return partners;
}

void runConfigurations(const ScanPlan& plan, const std::vector<std::size_t>& rows, const ScanRunOptions& options,
                       const RowSink& sink, const RowsDone& done, const AheadSink& ahead)
{
    const RunOrder order = runOrder(plan, rows, options.mode, done);
    const std::vector<ScanRun>& runs = order.runs;
    const unsigned jobs = std::max(1U, options.jobs);
    std::atomic<bool> failed{false};
    const std::function<bool()> interrupted = [&options] {
        return options.stop != nullptr && stopRequested(*options.stop);
    };
    const std::function<bool()> stopped = [&failed, &interrupted] { return failed || interrupted(); };
    PhysicsOnce physics(plan);
    RowCollector collector(plan, rows, options.mode, sink, done, ahead);
    Failure failure;
    parallelFor(runs.size(), jobs,
                [&](std::size_t k) {
                    const ScanRun& run = runs[k];
                    std::optional<RowValues> values;
                    try {
                        std::optional<std::shared_ptr<const RadiationPhysics>> shared =
                            physics.prepare(run, interrupted);
                        if (!shared) {
                            return;  // interrupted before the run began
                        }
                        values = valuesOf(plan, run, options, std::move(*shared));
                    } catch (const RunError& error) {
                        failure.record(k, error.kind(),
                                       nameOf(plan, run) + ": " + error.what()
                                           + (error.detail().empty() ? "" : "\n" + error.detail()));
                    } catch (const std::exception& error) {
                        failure.record(k, ErrorKind::internal, nameOf(plan, run) + ": " + error.what());
                    }
                    if (!values) {
                        failed = true;
                        return;
                    }
                    try {
                        if (order.kinds[k] == RunKind::reference) {
                            collector.referenceDone(run.number - 1, *values);
                        } else if (order.kinds[k] == RunKind::partner) {
                            collector.partnerDone(run.configuration.index, *values);
                        } else {
                            collector.rowDone(*order.positions[k], *values);
                            if (options.activity != nullptr) {
                                options.activity->rowFinished();
                            }
                        }
                    } catch (const RunError& error) {
                        failure.record(0, error.kind(), error.what());
                        failed = true;
                    } catch (const std::exception& error) {
                        failure.record(0, ErrorKind::internal, error.what());
                        failed = true;
                    }
                },
                stopped);
    failure.rethrow();
}

}  // namespace kesp
