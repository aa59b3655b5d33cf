#include "kesp/engine/runResults.h"

#include "kesp/engine/fieldAverage.h"
#include "kesp/physics/particleSpelling.h"
#include "kesp/support/contract.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// The DSB per cell per Gy of a group of cells, for a cell of `dna` Gbp, as
// the run's own is formed; no standard error from fewer than 2 cells.
std::optional<Estimate> dsbPerCellPerGy(const DsbCounts& counts, std::int32_t cells, double dna)
{
    if (cells < 1) {
        return std::nullopt;
    }
    const double factor = dna / referenceDnaGbp;
    const double mean = counts.sum / static_cast<double>(cells);
    Estimate estimate{mean * factor, std::nullopt};
    if (cells >= 2) {
        estimate.sem = standardErrorOfMean(counts.sumOfSquares, mean, cells) * factor;
    }
    return estimate;
}

ComponentResult componentResult(const ComponentRow& row, std::int32_t cells)
{
    const ComponentPhysics& p = row.physics;
    ParticleQuantities q;
    q.kineticEnergyMeV = row.kineticEnergy;
    q.kineticEnergyPerNucleonMeV = row.kineticEnergyPerNucleonMeV;
    q.letKeVPerUm = p.sTotal;
    q.electronicStoppingKeVPerUm = p.sElectronic;
    q.nuclearStoppingKeVPerUm = p.sNuclear;
    q.radiativeStoppingKeVPerUm = p.sRadiative;
    q.csdaRangeCm = p.rangeCsda;
    q.zeffOverBetaSquared = row.zeffOverBetaSquared;
    q.dosePerFluenceNGyCm2 = p.dpuf;
    q.yFKeVPerUm = p.yf;
    q.zFGy = p.zf;
    return ComponentResult{canonicalParticleName(trimmed(row.name)), row.weight, row.dsbHypoxiaReductionFactor, q,
                           cells, std::nullopt};
}

}  // namespace

std::optional<ClusterYield> RunResults::clusters(ClusterCategory category) const
{
    return clusterYield(statistics, category, cellsSimulated);
}

std::optional<Estimate> RunResults::entry(ClusterTable table, ClusterRow row, ClusterCategory category) const
{
    return tableEntry(statistics, table, row, category, cellsSimulated);
}

double RunResults::percent(ComplexityClass complexityClass) const
{
    return complexityPercent(statistics, complexityClass);
}

ParticleQuantities RunResults::particleQuantities() const
{
    KESP_EXPECTS(singleParticle, "particleQuantities() is a single particle's; a mixed field has componentResults()");
    const ParticleState& p = particle.particle;
    ParticleQuantities q;
    q.kineticEnergyMeV = p.T;
    q.kineticEnergyPerNucleonMeV = kineticEnergyPerNucleon(p);
    q.letKeVPerUm = p.sTotal;
    q.electronicStoppingKeVPerUm = p.sElectronic;
    q.nuclearStoppingKeVPerUm = p.sNuclear;
    q.radiativeStoppingKeVPerUm = p.sRadiative;
    q.csdaRangeCm = particle.csdaRange;
    q.zeffOverBetaSquared = p.zeb;
    q.dosePerFluenceNGyCm2 = p.dpuf;
    q.yFKeVPerUm = p.yf;
    q.zFGy = p.zf;
    return q;
}

std::vector<ComponentResult> RunResults::componentResults() const
{
    std::vector<ComponentResult> results;
    results.reserve(components.size());
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::int32_t cells = i < componentCells.size() ? componentCells[i] : 0;
        results.push_back(componentResult(components[i], cells));
        if (i < componentDsb.size()) {
            results.back().dsbPerCellPerGy = dsbPerCellPerGy(componentDsb[i], cells, statistics.dnaContent);
        }
    }
    return results;
}

ComponentResult RunResults::fieldAverageResult() const
{
    KESP_EXPECTS(!singleParticle && !components.empty(),
                 "fieldAverageResult() is a mixed field's; a single particle has particleQuantities()");
    ComponentResult average = componentResult(fieldAverage(components), cellsSimulated);
    if (const std::optional<ClusterYield> dsb = clusters(ClusterCategory::dsb)) {
        average.dsbPerCellPerGy = dsb->perCellPerGy;
    } else if (cellsSimulated >= 1) {
        average.dsbPerCellPerGy = Estimate{0.0, cellsSimulated >= 2 ? std::optional<double>(0.0) : std::nullopt};
    }
    return average;
}

}  // namespace kesp
