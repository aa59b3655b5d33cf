#include "damage/damageYields.h"

#include <cmath>


namespace kesp {

namespace {

std::int32_t truncateToInt(double value)
{
    return static_cast<std::int32_t>(value);
}

std::int32_t segmentLengthFor(double zeb)
{
    return truncateToInt(segmentLengthAtLowZebBp
                         - (segmentLengthSpanBp * zeb) / (zeb + segmentHalfEffectZeb));
}

// Without scavenger (conc = 0) the full yield; DMSO lowers it toward the
// non-scavengeable fraction. With chmx = 0 and conc = 0 no scavenger is present
// at all, so the full yield applies instead of the undefined 0/0.
std::int32_t strandBreaksFor(const RunConfig& config)
{
    const double denominator = config.conc + config.chmx;
    if (denominator == 0.0) {
        return truncateToInt(strandBreaksPerCellPerGy);
    }
    return truncateToInt((config.fnsd * config.conc + config.chmx) * strandBreaksPerCellPerGy
                         / denominator);
}

}  // namespace

double chemicalRepairProbability(double zeb, const RunConfig& config, const RunOptions& options)
{
    if (!options.oxygenEffect) {
        return 0.0;
    }
    double m = config.m0;
    if (options.zebDependentOxygen) {
        m = config.m0 - (config.m0 - 1.0) / (1.0 + std::pow(config.q / zeb, config.r));
    }
    return 1.0 - (config.k + config.po2) / (config.po2 + m * config.k);
}

DamageYields computeDamageYields(double zeb, const RunConfig& config, const RunOptions& options)
{
    DamageYields yields;
    yields.segmentLength = segmentLengthFor(zeb);
    yields.strandBreaks = strandBreaksFor(config);
    yields.baseDamages = truncateToInt(baseDamageToStrandBreakRatio * yields.strandBreaks);
    yields.repairProbability = chemicalRepairProbability(zeb, config, options);
    return yields;
}

}  // namespace kesp
