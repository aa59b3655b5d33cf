#include "kesp/report/damageSections.h"

#include <string>
#include <string_view>

#include "kesp/support/lineBuilder.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr std::size_t valueWidth = 11;
constexpr double mmHgPerPercentO2 = 7.6;  // 760 mmHg = 100 %

// A value right-justified in 11 columns, five blanks, then the label.
void writeValueRecord(std::ostream& out, double value, std::string_view code, std::string_view label)
{
    writeLine(out, RecordForm::plain, numberField(value, code, valueWidth) + "     " + std::string(label));
}

// One blank, the number from column 2 of the line, then the text.
void writeIndentedValue(std::ostream& out, double value, std::string_view text)
{
    std::string line = blankLine();
    appendNumber(value, "E4", "", line);
    appendText(text, line);
    writeLine(out, RecordForm::indented, line);
}

}  // namespace

void writeDamageSection(std::ostream& out, const DamageYields& yields, double fbl)
{
    writeLine(out, RecordForm::blankLineFirst, "DAMAGE FORMATION AND CLUSTERING (normoxic conditions)");
    writeValueRecord(out, yields.segmentLength, "I", "segment length, nseg (bp per cell per Gy)");
    writeValueRecord(out, yields.strandBreaks, "I", "number of strand breaks, sigSb (per cell per Gy)");
    writeValueRecord(out, yields.baseDamages, "I", "number of base damages,  sigBd (per cell per Gy)");
    writeValueRecord(out, baseDamageToStrandBreakRatio, "F1", "base damage to strand break ratio, f");
    writeValueRecord(out, minClusterSeparationBp, "I", "minimum distance between clusters, Nmin (bp)");
    writeValueRecord(out, maxDsbSeparationBp, "I",
                     "maximum distance between two Sb to compose a DSB, Ndsb (bp)");
    writeValueRecord(out, fbl, "F1", "fraction Bl/Bd");
}

void writeDmsoSection(std::ostream& out, const RunSettings& settings)
{
    writeLine(out, RecordForm::blankLineFirst, "DMSO SIMULATION");
    writeIndentedValue(out, settings.dmso.nonScavengeableFraction, " fraction of non-scavengeable DNA damage (fnsd)");
    writeIndentedValue(out, settings.dmso.halfLevelConcentration, " concentration (mol dm^-3) at half-level (chmx)");
    writeIndentedValue(out, settings.dmso.concentration, " DMSO concentration (mol dm^-3)");
}

OxygenFactors oxygenFactors(double repairProbability)
{
    const double fixation = 1.0 - repairProbability;
    const double hrf = fixation > 0.0 ? 1.0 / fixation : 1.0;
    return OxygenFactors{repairProbability, fixation, hrf, hrf * hrf};
}

void writeOxygenSection(std::ostream& out, const RunSettings& settings, double repairProbability)
{
    const OxygenFactors factors = oxygenFactors(repairProbability);

    std::string line = makeField("OXYGEN SIMULATION (", reportLineLength);
    appendNumber(settings.oxygenModel.maximumEnhancement, "F3", "M0=", line);
    appendNumber(settings.oxygenModel.halfEffectOxygen, "F4", ", K=", line);
    appendNumber(settings.oxygenModel.halfEffectZeb, "F2", ", q=", line);
    appendNumber(settings.oxygenModel.steepness, "F2", ", r=", line);
    appendText(")", line);
    writeLine(out, RecordForm::blankLineFirst, line);

    line = blankLine();
    appendNumber(settings.oxygenPercent, "E4", "", line);
    appendNumber(settings.oxygenPercent * mmHgPerPercentO2, "F2", " % O2 concentration (=", line);
    appendText(" mmHg) ", line);
    writeLine(out, RecordForm::indented, line);

    writeIndentedValue(out, factors.repairProbability, " chemical repair probability (pcr)");
    writeIndentedValue(out, factors.fixationProbability, " O2 fixation probability (1-pcr)");
    writeIndentedValue(out, factors.ssbHypoxiaReduction, " Approx. HRF for SSB induction [=1/(1-pcr)]");
    writeIndentedValue(out, factors.dsbHypoxiaReduction, " Approx. HRF for DSB induction [1/(1-pcr)]^2");
}

}  // namespace kesp
