#include "kesp/damage/damageYields.h"

#include <cmath>
#include <string>

#include "kesp/input/diagnostics.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/runError.h"

namespace kesp {

namespace {

std::string dmsoItems(const DmsoModel& dmso)
{
    return "DMSO: CONC=" + formatValue(dmso.concentration) + " FNSD=" + formatValue(dmso.nonScavengeableFraction)
           + " CHMX=" + formatValue(dmso.halfLevelConcentration);
}

std::string oxygenItems(const RunSettings& settings)
{
    const OxygenModel& model = settings.oxygenModel;
    return "EVO2: PO2=" + formatValue(settings.oxygenPercent) + " M0=" + formatValue(model.maximumEnhancement)
           + " K=" + formatValue(model.halfEffectOxygen) + " Q=" + formatValue(model.halfEffectZeb)
           + " R=" + formatValue(model.steepness);
}

// A model quantity that the report and the simulation need as a whole
// number; the run stops when it is not a finite number within 32 bits.
std::int32_t truncateToInt(double value, std::string_view quantity, const std::string& origin)
{
    if (!(std::isfinite(value) && value > -2147483649.0 && value < 2147483648.0)) {
        stopRun(ErrorKind::nonFiniteResult, "The " + std::string(quantity) + " is not a finite whole number ("
                + renderNumber(value, "E5").text + ") for " + origin + "; no report is written.");
    }
    return static_cast<std::int32_t>(value);
}

void requireFinite(double value, std::string_view quantity, const std::string& origin)
{
    if (!std::isfinite(value)) {
        stopRun(ErrorKind::nonFiniteResult, "The " + std::string(quantity) + " is not a finite number ("
                + renderNumber(value, "E5").text + ") for " + origin
                + "; no report is written.");
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
std::int32_t strandBreaksFor(const DmsoModel& dmso)
{
    const double denominator = dmso.concentration + dmso.halfLevelConcentration;
    if (denominator == 0.0) {
        return static_cast<std::int32_t>(strandBreaksPerCellPerGy);
    }
    return truncateToInt((dmso.nonScavengeableFraction * dmso.concentration + dmso.halfLevelConcentration)
                             * strandBreaksPerCellPerGy / denominator,
                         "number of strand breaks per cell per Gy", dmsoItems(dmso));
}

}  // namespace

double chemicalRepairProbability(double zeb, const RunSettings& settings)
{
    const OxygenModel& model = settings.oxygenModel;
    if (!model.enabled) {
        return 0.0;
    }
    const double m0 = model.maximumEnhancement;
    double m = m0;
    if (model.zebDependent) {
        m = m0 - (m0 - 1.0) / (1.0 + std::pow(model.halfEffectZeb / zeb, model.steepness));
    }
    const double k = model.halfEffectOxygen;
    const double po2 = settings.oxygenPercent;
    return 1.0 - (k + po2) / (po2 + m * k);
}

DamageYields computeDamageYields(double zeb, const RunSettings& settings)
{
    DamageYields yields;
    yields.segmentLength = segmentLengthFor(zeb);
    yields.strandBreaks = strandBreaksFor(settings.dmso);
    yields.baseDamages = static_cast<std::int32_t>(baseDamageToStrandBreakRatio * yields.strandBreaks);
    yields.repairProbability = chemicalRepairProbability(zeb, settings);
    // The oxygen section and the mixed-field tables show the repair
    // probability and the hypoxia reduction factors made from it.
    const double fixation = 1.0 - yields.repairProbability;
    const double hrf = fixation > 0.0 ? 1.0 / fixation : 1.0;
    requireFinite(yields.repairProbability, "chemical repair probability", oxygenItems(settings));
    requireFinite(hrf * hrf, "hypoxia reduction factor for DSB induction [1/(1-pcr)]^2", oxygenItems(settings));
    return yields;
}

std::string whyNoLesionIsLeft(const DamageYields& yields, const RunSettings& settings)
{
    const std::string counts = std::to_string(yields.strandBreaks) + " strand breaks and "
                               + std::to_string(yields.baseDamages) + " base damages per cell per Gy";
    if (yields.strandBreaks + yields.baseDamages == 0) {
        return "The cell receives no lesion: " + dmsoItems(settings.dmso) + " leave " + counts
               + "; a DMSO concentration CONC= far above CHMX= with FNSD=0 scavenges every strand break.";
    }
    return "Chemical repair removes every lesion of the cell (" + counts + ", repair probability "
           + formatValue(yields.repairProbability) + " from " + oxygenItems(settings)
           + "); an oxygen model this strong leaves nothing to cluster.";
}

}  // namespace kesp
