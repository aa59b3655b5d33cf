#include "damage/damageYields.h"

#include <cmath>
#include <string>

#include "input/diagnostics.h"
#include "support/numberFormat.h"
#include "support/runError.h"

namespace kesp {

namespace {

std::string dmsoItems(const RunConfig& config)
{
    return "DMSO: CONC=" + formatValue(config.conc) + " FNSD=" + formatValue(config.fnsd)
           + " CHMX=" + formatValue(config.chmx);
}

std::string oxygenItems(const RunConfig& config)
{
    return "EVO2: PO2=" + formatValue(config.po2) + " M0=" + formatValue(config.m0) + " K="
           + formatValue(config.k) + " Q=" + formatValue(config.q) + " R=" + formatValue(config.r);
}

// A model quantity that the report and the simulation need as a whole
// number; the run stops when it is not a finite number within 32 bits.
std::int32_t truncateToInt(double value, std::string_view quantity, const std::string& origin)
{
    if (!(std::isfinite(value) && value > -2147483649.0 && value < 2147483648.0)) {
        stopRun("The " + std::string(quantity) + " is not a finite whole number ("
                + renderNumber(value, "E5").text + ") for " + origin + "; no report is written.");
    }
    return static_cast<std::int32_t>(value);
}

void requireFinite(double value, std::string_view quantity, const std::string& origin)
{
    if (!std::isfinite(value)) {
        stopRun("The " + std::string(quantity) + " is not a finite number (" + renderNumber(value, "E5").text
                + ") for " + origin + "; no report is written.");
    }
}

std::int32_t segmentLengthFor(double zeb)
{
    return truncateToInt(segmentLengthAtLowZebBp
                             - (segmentLengthSpanBp * zeb) / (zeb + segmentHalfEffectZeb),
                         "segment length (bp per cell per Gy)",
                         "(Zeff/beta)^2 = " + formatValue(zeb) + " (RADX:)");
}

// Without scavenger (conc = 0) the full yield; DMSO lowers it toward the
// non-scavengeable fraction. With chmx = 0 and conc = 0 no scavenger is present
// at all, so the full yield applies instead of the undefined 0/0.
std::int32_t strandBreaksFor(const RunConfig& config)
{
    const double denominator = config.conc + config.chmx;
    if (denominator == 0.0) {
        return static_cast<std::int32_t>(strandBreaksPerCellPerGy);
    }
    return truncateToInt((config.fnsd * config.conc + config.chmx) * strandBreaksPerCellPerGy
                             / denominator,
                         "number of strand breaks per cell per Gy", dmsoItems(config));
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
    yields.baseDamages = static_cast<std::int32_t>(baseDamageToStrandBreakRatio * yields.strandBreaks);
    yields.repairProbability = chemicalRepairProbability(zeb, config, options);
    // The oxygen section and the mixed-field tables show the repair
    // probability and the hypoxia reduction factors made from it.
    const double fixation = 1.0 - yields.repairProbability;
    const double hrf = fixation > 0.0 ? 1.0 / fixation : 1.0;
    requireFinite(yields.repairProbability, "chemical repair probability", oxygenItems(config));
    requireFinite(hrf * hrf, "hypoxia reduction factor for DSB induction [1/(1-pcr)]^2", oxygenItems(config));
    return yields;
}

std::string whyNoLesionIsLeft(const DamageYields& yields, const RunConfig& config)
{
    const std::string counts = std::to_string(yields.strandBreaks) + " strand breaks and "
                               + std::to_string(yields.baseDamages) + " base damages per cell per Gy";
    if (yields.strandBreaks + yields.baseDamages == 0) {
        return "The cell receives no lesion: " + dmsoItems(config) + " leave " + counts
               + "; a DMSO concentration CONC= far above CHMX= with FNSD=0 scavenges every strand break.";
    }
    return "Chemical repair removes every lesion of the cell (" + counts + ", repair probability "
           + formatValue(yields.repairProbability) + " from " + oxygenItems(config)
           + "); an oxygen model this strong leaves nothing to cluster.";
}

}  // namespace kesp
