#include "kesp/survival/dsbSources.h"

#include <cmath>
#include <optional>
#include <string>

#include "kesp/support/runError.h"

namespace kesp {

namespace {

void requireCells(const RunResults& run)
{
    if (run.cellsSimulated < 1) {
        stopRun(ErrorKind::input, "Cell survival: the run simulated no cell, so it has no DSB yield.");
    }
    if (!run.statisticsDescribeTheRadiation()) {
        stopRun(ErrorKind::input, "Cell survival: the mixed field was stopped before its last component, so its "
                                  "components' DSB yields are not all known.");
    }
}

DsbSource sourceOf(double doseFraction, const std::optional<Estimate>& dsb, double zFGy)
{
    const Estimate yield = dsb.value_or(Estimate{0.0, std::nullopt});
    return DsbSource{doseFraction, yield.mean, yield.sem.value_or(0.0), zFGy};
}

}  // namespace

std::vector<DsbSource> dsbSources(const RunResults& run)
{
    requireCells(run);
    if (run.singleParticle) {
        std::optional<Estimate> dsb;
        if (const std::optional<ClusterYield> clusters = run.clusters(ClusterCategory::dsb)) {
            dsb = clusters->perCellPerGy;
        }
        return {sourceOf(1.0, dsb, run.particleQuantities().zFGy)};
    }
    std::vector<DsbSource> sources;
    const std::vector<ComponentResult> components = run.componentResults();
    for (std::size_t i = 0; i < components.size(); ++i) {
        const ComponentResult& c = components[i];
        if (c.weight > 0.0 && !c.dsbPerCellPerGy) {
            stopRun(ErrorKind::input, "Cell survival: component " + std::to_string(i + 1) + " (" + c.particle
                                          + ") of the mixed field has no cell of its own, so its DSB yield is "
                                            "not known; run more cells.");
        }
        sources.push_back(sourceOf(c.weight, c.dsbPerCellPerGy, c.physics.zFGy));
    }
    return sources;
}

DsbSource referenceSource(const RunResults& run)
{
    const std::vector<DsbSource> sources = dsbSources(run);
    return referenceSource(sources);
}

DsbSource referenceSource(std::span<const DsbSource> sources)
{
    if (sources.empty()) {
        stopRun(ErrorKind::input, "Cell survival: the reference radiation has no DSB source.");
    }
    double total = 0.0;
    for (const DsbSource& s : sources) {
        total += s.doseFraction;
    }
    double meanSigma = 0.0;
    double meanZfSigmaSquared = 0.0;
    double variance = 0.0;
    for (const DsbSource& s : sources) {
        const double w = s.doseFraction / total;
        meanSigma += w * s.dsbPerCellPerGy;
        meanZfSigmaSquared += w * s.zFGy * s.dsbPerCellPerGy * s.dsbPerCellPerGy;
        variance += w * w * s.dsbPerCellPerGySem * s.dsbPerCellPerGySem;
    }
    if (sources.size() == 1) {  // a single radiation as it is, without rounding
        DsbSource one = sources.front();
        one.doseFraction = 1.0;
        one.referenceRun = true;
        return one;
    }
    const double zF = meanSigma > 0.0 ? meanZfSigmaSquared / (meanSigma * meanSigma) : 0.0;
    return DsbSource{1.0, meanSigma, std::sqrt(variance), zF, true};
}

ReferenceRadiation referenceRadiation(double alphaPerGy, double betaPerGy2, const RunResults& run)
{
    const std::vector<DsbSource> sources = dsbSources(run);
    return referenceRadiation(alphaPerGy, betaPerGy2, sources);
}

ReferenceRadiation referenceRadiation(double alphaPerGy, double betaPerGy2, std::span<const DsbSource> sources)
{
    const DsbSource source = referenceSource(sources);
    return ReferenceRadiation{alphaPerGy, betaPerGy2, source.dsbPerCellPerGy, source.dsbPerCellPerGySem,
                              source.zFGy};
}

}  // namespace kesp
