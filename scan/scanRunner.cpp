#include "scan/scanRunner.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <tuple>
#include <variant>

#include "engine/engine.h"
#include "engine/sharedPhysics.h"
#include "physics/particleSetup.h"
#include "support/parallelFor.h"

namespace kesp {

namespace {

using KindKey = std::tuple<std::int32_t, std::int32_t, std::uint64_t, std::uint64_t>;

// A piece of physics several runs may share: a single particle's physics,
// or the range table of a mixed field's component.
using PhysicsKey = std::variant<ParticlePhysicsKey, KindKey>;

// The pieces of physics a run needs that other runs may share; the
// particle kinds beside the keys of the range tables.
struct RunPhysics {
    std::vector<PhysicsKey> keys;
    std::vector<ParticleKind> kinds;  // for the KindKey entries, in their order
};

RunPhysics physicsNeeded(const RunSettings& settings)
{
    RunPhysics needed;
    const RadiationField& field = settings.field;
    if (field.singleParticle()) {
        const FieldComponent& first = field.component(1);
        needed.keys.emplace_back(ParticlePhysicsKey{first.nameField(), std::bit_cast<std::uint64_t>(first.kineticEnergy),
                                                    settings.masses2006,
                                                    std::bit_cast<std::uint64_t>(settings.nucleusDiameter)});
        return needed;
    }
    const MassConstants& masses = massConstantsFor(settings.masses2006);
    for (int i = 1; i <= field.componentCount(); ++i) {
        const FieldComponent& component = field.component(i);
        const ParticleKind kind = kindOf(describeParticle(component.nameField(), component.kineticEnergy, masses).particle);
        needed.keys.emplace_back(KindKey{kind.Z, kind.A, std::bit_cast<std::uint64_t>(kind.restEnergy),
                                         std::bit_cast<std::uint64_t>(kind.T)});
        needed.kinds.push_back(kind);
    }
    return needed;
}

// Works out each piece of shared physics once, when the first run that
// needs it starts: a run takes the pieces no other job has begun, then
// waits for those another job is working out rather than working them out
// a second time. Each run so starts as soon as a job is free, and its row
// is written as soon as it is done, rather than after all the scan's
// physics.
class SharedPhysicsOnce {
public:
    explicit SharedPhysicsOnce(const ScanPlan& plan) : plan_(plan) {}

    const std::shared_ptr<SharedPhysics>& shared() const { return shared_; }

    // False when the scan was interrupted before the run's physics was
    // worked out (a run under way at an interruption finishes). A piece
    // that fails is left out: the run meets the failure itself and says so.
    bool prepare(const ScanRun& run, const std::function<bool()>& interrupted)
    {
        RunSettings settings;
        RunPhysics needed;
        try {
            settings = settingsOf(plan_, run);
            needed = physicsNeeded(settings);
        } catch (const std::exception&) {
            return true;
        }
        std::vector<std::shared_future<bool>> others;
        bool complete = true;
        for (std::size_t i = 0, kind = 0; i < needed.keys.size(); ++i) {
            const bool isKind = std::holds_alternative<KindKey>(needed.keys[i]);
            const ParticleKind* particle = isKind ? &needed.kinds[kind++] : nullptr;
            std::optional<std::promise<bool>> mine = claim(needed.keys[i], others);
            if (!mine) {
                continue;
            }
            const bool workedOut = !interrupted();
            if (workedOut) {
                workOut(settings, particle);
            }
            mine->set_value(workedOut);
            complete = complete && workedOut;
        }
        for (const std::shared_future<bool>& other : others) {
            complete = other.get() && complete;
        }
        return complete;
    }

private:
    // The promise to work the piece out (true once it is, false when the
    // scan was interrupted before), or nothing when another job has begun
    // it (its future then joins `others`).
    std::optional<std::promise<bool>> claim(const PhysicsKey& key, std::vector<std::shared_future<bool>>& others)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto [found, first] = pieces_.try_emplace(key);
        if (!first) {
            others.push_back(found->second);
            return std::nullopt;
        }
        std::promise<bool> promise;
        found->second = promise.get_future().share();
        return promise;
    }

    // A range table when `kind` is given, else the single particle's physics.
    void workOut(const RunSettings& settings, const ParticleKind* kind) const
    {
        try {
            if (kind != nullptr) {
                static_cast<void>(shared_->rangeTables()->tableFor(*kind));
            } else {
                RunSettings oneThread = settings;
                oneThread.threads = 1;
                SimulationRun physics(oneThread, shared_);
                static_cast<void>(physics.particlePhysics());
            }
        } catch (const std::exception&) {
        }
    }

    const ScanPlan& plan_;
    std::shared_ptr<SharedPhysics> shared_ = std::make_shared<SharedPhysics>();
    std::mutex mutex_;
    std::map<PhysicsKey, std::shared_future<bool>> pieces_;
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
                   const std::shared_ptr<SharedPhysics>& shared)
{
    RunSettings settings = settingsOf(plan, run);
    settings.threads = 1;  // the jobs fill the CPUs
    SimulationRun simulation(settings, shared);
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
        : plan_(plan), rows_(rows), withReference_(plan.scan.hasReference() && mode == ScanMode::simulation),
          sink_(sink), ahead_(ahead), references_(plan.references.size()), pending_(done)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        handOn();
    }

    void rowDone(std::size_t position, const RowValues& values)
    {
        const PendingRow row = pendingRowOf(values);
        const std::lock_guard<std::mutex> lock(mutex_);
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

private:
    // Hands on every row whose turn it is and whose reference is done.
    void handOn()
    {
        while (next_ < rows_.size()) {
            const auto found = pending_.find(next_);
            if (found == pending_.end()) {
                return;
            }
            const PendingRow* reference = nullptr;
            if (withReference_) {
                const std::optional<PendingRow>& done = references_[plan_.referenceOfRow[rows_[next_]]];
                if (!done) {
                    return;
                }
                reference = &*done;
            }
            sink_(rows_[next_], tableLine(found->second, reference));
            pending_.erase(found);
            ++next_;
        }
    }

    const ScanPlan& plan_;
    const std::vector<std::size_t>& rows_;
    bool withReference_;
    const RowSink& sink_;
    const AheadSink& ahead_;
    std::mutex mutex_;
    std::vector<std::optional<PendingRow>> references_;
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

// The runs in the order they start, and for a row's run its position.
struct RunOrder {
    std::vector<ScanRun> runs;
    std::vector<std::optional<std::size_t>> positions;  // nothing for a reference run
};

// Each reference run goes just before the first row that needs it, so that
// rows reach the table from the start rather than after all references.
// A row done before still needs its reference to be handed on.
RunOrder runOrder(const ScanPlan& plan, const std::vector<std::size_t>& rows, ScanMode mode, const RowsDone& done)
{
    const bool withReference = plan.scan.hasReference() && mode == ScanMode::simulation;
    RunOrder order;
    std::set<std::size_t> referencesRun;
    for (std::size_t position = 0; position < rows.size(); ++position) {
        if (withReference && referencesRun.insert(plan.referenceOfRow[rows[position]]).second) {
            order.runs.push_back(plan.referenceRun(plan.referenceOfRow[rows[position]]));
            order.positions.emplace_back();
        }
        if (!done.contains(position)) {
            order.runs.push_back(plan.row(rows[position]));
            order.positions.emplace_back(position);
        }
    }
    return order;
}

}  // namespace

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
    SharedPhysicsOnce physics(plan);
    RowCollector collector(plan, rows, options.mode, sink, done, ahead);
    Failure failure;
    parallelFor(runs.size(), jobs,
                [&](std::size_t k) {
                    const ScanRun& run = runs[k];
                    std::optional<RowValues> values;
                    try {
                        if (!physics.prepare(run, interrupted)) {
                            return;  // interrupted before the run began
                        }
                        values = valuesOf(plan, run, options, physics.shared());
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
                        if (!order.positions[k]) {
                            collector.referenceDone(run.number - 1, *values);
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
