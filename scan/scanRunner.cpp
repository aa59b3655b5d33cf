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

#include <sched.h>

#include "damage/engine.h"
#include "damage/sharedPhysics.h"
#include "physics/particleSetup.h"

namespace kesp {

namespace {

// Runs task(0) to task(count - 1), each once and handed out in this order,
// on up to `threads` threads; hands out no further task once `stop` is set.
void runTasks(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task,
              const std::atomic<bool>& stop)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < count && !stop; k = next++) {
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
                          const std::shared_ptr<SharedPhysics>& shared)
{
    const SharedWork work = sharedWorkOf(plan, runs);
    const std::atomic<bool> never{false};
    const std::size_t particles = work.particles.size();
    runTasks(particles + work.kinds.size(), jobs,
             [&](std::size_t k) {
                 try {
                     if (k < particles) {
                         SimulationRun run(settingsOf(plan, work.particles[k]), shared);
                         static_cast<void>(run.particlePhysics());
                     } else {
                         static_cast<void>(shared->rangeTables()->tableFor(work.kinds[k - particles]));
                     }
                 } catch (const std::exception&) {
                 }
             },
             never);
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

RowValues valuesOf(const ScanPlan& plan, const ScanRun& run, ScanMode mode,
                   const std::shared_ptr<SharedPhysics>& shared)
{
    const RunSettings settings = settingsOf(plan, run);
    SimulationRun simulation(settings, shared);
    RunResults results;
    if (mode == ScanMode::physicsOnly) {
        results = physicsOf(simulation);
    } else {
        NoProgress quiet;
        results = simulation.simulate(quiet);
    }
    return rowValues(plan.scan, run.configuration, settings, results, mode);
}

// The finished runs, and the rows handed on so far.
class RowCollector {
public:
    RowCollector(const ScanPlan& plan, const std::vector<std::size_t>& rows, ScanMode mode, const RowSink& sink)
        : plan_(plan), rows_(rows), withReference_(plan.scan.hasReference() && mode == ScanMode::simulation),
          sink_(sink), references_(plan.references.size())
    {
    }

    void rowDone(std::size_t position, RowValues values)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_.emplace(position, std::move(values));
        handOn();
    }

    void referenceDone(std::size_t reference, RowValues values)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        values.fields.clear();
        references_[reference] = std::move(values);
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
            std::vector<std::string> fields = found->second.fields;
            if (withReference_) {
                const std::optional<RowValues>& reference = references_[plan_.referenceOfRow[rows_[next_]]];
                if (!reference) {
                    return;
                }
                const std::vector<std::string> rbe = rbeFields(found->second, *reference);
                fields.insert(fields.end(), rbe.begin(), rbe.end());
            }
            pending_.erase(found);
            sink_(rows_[next_], csvLine(fields));
            ++next_;
        }
    }

    const ScanPlan& plan_;
    const std::vector<std::size_t>& rows_;
    bool withReference_;
    const RowSink& sink_;
    std::mutex mutex_;
    std::vector<std::optional<RowValues>> references_;
    std::map<std::size_t, RowValues> pending_;
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
                       const RowSink& sink)
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
    for (const std::size_t row : rows) {
        runs.push_back(plan.row(row));
    }
    const unsigned jobs = std::max(1U, options.jobs);
    const auto shared = std::make_shared<SharedPhysics>();
    workOutSharedPhysics(plan, runs, jobs, shared);

    RowCollector collector(plan, rows, options.mode, sink);
    Failure failure;
    std::atomic<bool> stop{false};
    runTasks(runs.size(), jobs,
             [&](std::size_t k) {
                 const ScanRun& run = runs[k];
                 std::optional<RowValues> values;
                 try {
                     values = valuesOf(plan, run, options.mode, shared);
                 } catch (const RunError& error) {
                     failure.record(k, nameOf(plan, run) + ": " + error.what()
                                           + (error.detail().empty() ? "" : "\n" + error.detail()));
                 } catch (const std::exception& error) {
                     failure.record(k, nameOf(plan, run) + ": " + error.what());
                 }
                 if (!values) {
                     stop = true;
                     return;
                 }
                 try {
                     if (k < referenceRuns) {
                         collector.referenceDone(run.number - 1, std::move(*values));
                     } else {
                         collector.rowDone(k - referenceRuns, std::move(*values));
                     }
                 } catch (const std::exception& error) {
                     failure.record(0, error.what());
                     stop = true;
                 }
             },
             stop);
    failure.rethrow();
}

unsigned affinityCpuCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) {
            return static_cast<unsigned>(count);
        }
    }
    return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace kesp
