#include "scan/scanRunner.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "damage/engine.h"
#include "damage/sharedPhysics.h"
#include "physics/particleSetup.h"

namespace kesp {

namespace {

// Runs task(0) to task(count - 1), each once and handed out in this order,
// on up to `threads` threads; hands out no further task once `stopped()`.
void runTasks(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task,
              const std::function<bool()>& stopped)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < count && !stopped(); k = next++) {
            task(k);
        }
    };
    const auto workers = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    if (workers <= 1) {
        work();
        return;
    }
    std::vector<std::jthread> pool;
    for (unsigned i = 0; i < workers; ++i) {
        pool.emplace_back(work);
    }
}

using KindKey = std::tuple<std::int32_t, std::int32_t, std::uint64_t, std::uint64_t>;

// The pieces of physics the runs share, each named once: a run for each
// single particle's physics, and the particle kinds of the mixed fields'
// components, whose range tables are the costly part.
struct SharedWork {
    std::vector<ScanRun> particles;
    std::vector<ParticleKind> kinds;
};

SharedWork sharedWorkOf(const ScanPlan& plan, const std::vector<ScanRun>& runs)
{
    SharedWork work;
    std::set<ParticlePhysicsKey> particles;
    std::set<KindKey> kinds;
    for (const ScanRun& run : runs) {
        RunSettings settings;
        try {
            settings = settingsOf(plan, run);
        } catch (const RunError&) {
            continue;  // the run itself will say why
        }
        const MassConstants& masses = massConstantsFor(settings.options.masses2006);
        const RadiationField& field = settings.field;
        if (field.singleParticle()) {
            const FieldComponent& first = field.component(1);
            const ParticlePhysicsKey key{first.name, std::bit_cast<std::uint64_t>(first.kineticEnergy),
                                         settings.options.masses2006,
                                         std::bit_cast<std::uint64_t>(settings.config.ndia)};
            if (particles.insert(key).second) {
                work.particles.push_back(run);
            }
            continue;
        }
        for (int i = 1; i <= field.componentCount(); ++i) {
            const FieldComponent& component = field.component(i);
            const ParticleKind kind =
                kindOf(describeParticle(component.name, component.kineticEnergy, masses).particle);
            if (kinds.insert({kind.Z, kind.A, std::bit_cast<std::uint64_t>(kind.restEnergy),
                              std::bit_cast<std::uint64_t>(kind.T)})
                    .second) {
                work.kinds.push_back(kind);
            }
        }
    }
    return work;
}

// Works the shared physics out on all jobs. A piece that fails is left
// out: the run that needs it meets the failure itself and says so.
void workOutSharedPhysics(const ScanPlan& plan, const std::vector<ScanRun>& runs, unsigned jobs,
                          const std::shared_ptr<SharedPhysics>& shared, const std::function<bool()>& stopped)
{
    const SharedWork work = sharedWorkOf(plan, runs);
    const std::size_t particles = work.particles.size();
    runTasks(particles + work.kinds.size(), jobs,
             [&](std::size_t k) {
                 try {
                     if (k < particles) {
                         SimulationRun run(settingsOf(plan, work.particles[k]), shared);
                         run.limitThreads(1);
                         static_cast<void>(run.particlePhysics());
                     } else {
                         static_cast<void>(shared->rangeTables()->tableFor(work.kinds[k - particles]));
                     }
                 } catch (const std::exception&) {
                 }
             },
             stopped);
}

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
    const RunSettings settings = settingsOf(plan, run);
    SimulationRun simulation(settings, shared);
    simulation.limitThreads(1);  // the jobs fill the CPUs
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
    void record(std::size_t job, std::string message)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!job_ || job < *job_) {
            job_ = job;
            message_ = std::move(message);
        }
    }

    void rethrow() const
    {
        if (job_) {
            throw RunError(message_);
        }
    }

private:
    std::mutex mutex_;
    std::optional<std::size_t> job_;
    std::string message_;
};

std::string nameOf(const ScanPlan& plan, const ScanRun& run)
{
    return std::string(run.reference ? "Reference run " : "Configuration ") + std::to_string(run.number) + " ("
           + describeConfiguration(plan.scan, run.configuration) + ", " + inputFileNameOf(plan, run) + ")";
}

}  // namespace

void runConfigurations(const ScanPlan& plan, const std::vector<std::size_t>& rows, const ScanRunOptions& options,
                       const RowSink& sink, const RowsDone& done, const AheadSink& ahead)
{
    // The references first, so that rows are seldom held back for them.
    std::vector<ScanRun> runs;
    if (plan.scan.hasReference() && options.mode == ScanMode::simulation) {
        std::set<std::size_t> needed;
        for (const std::size_t row : rows) {
            needed.insert(plan.referenceOfRow[row]);
        }
        for (const std::size_t reference : needed) {
            runs.push_back(plan.referenceRun(reference));
        }
    }
    const std::size_t referenceRuns = runs.size();
    std::vector<std::size_t> positions;
    for (std::size_t position = 0; position < rows.size(); ++position) {
        if (!done.contains(position)) {
            runs.push_back(plan.row(rows[position]));
            positions.push_back(position);
        }
    }
    const unsigned jobs = std::max(1U, options.jobs);
    std::atomic<bool> failed{false};
    const std::function<bool()> stopped = [&failed, &options] {
        return failed || (options.stop != nullptr && stopRequested(*options.stop));
    };
    const auto shared = std::make_shared<SharedPhysics>();
    workOutSharedPhysics(plan, runs, jobs, shared, stopped);

    RowCollector collector(plan, rows, options.mode, sink, done, ahead);
    Failure failure;
    runTasks(runs.size(), jobs,
             [&](std::size_t k) {
                 const ScanRun& run = runs[k];
                 std::optional<RowValues> values;
                 try {
                     values = valuesOf(plan, run, options, shared);
                 } catch (const RunError& error) {
                     failure.record(k, nameOf(plan, run) + ": " + error.what()
                                           + (error.detail().empty() ? "" : "\n" + error.detail()));
                 } catch (const std::exception& error) {
                     failure.record(k, nameOf(plan, run) + ": " + error.what());
                 }
                 if (!values) {
                     failed = true;
                     return;
                 }
                 try {
                     if (k < referenceRuns) {
                         collector.referenceDone(run.number - 1, *values);
                     } else {
                         collector.rowDone(positions[k - referenceRuns], *values);
                         if (options.activity != nullptr) {
                             options.activity->rowFinished();
                         }
                     }
                 } catch (const std::exception& error) {
                     failure.record(0, error.what());
                     failed = true;
                 }
             },
             stopped);
    failure.rethrow();
}

}  // namespace kesp
