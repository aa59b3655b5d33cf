#include "report/damageSections.h"

#include <string>
#include <string_view>

#include "support/lineBuilder.h"
#include "support/lineWriter.h"
#include "support/numberFormat.h"
#include "support/text.h"

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

void writeDmsoSection(std::ostream& out, const RunConfig& config)
{
    writeLine(out, RecordForm::blankLineFirst, "DMSO SIMULATION");
    writeIndentedValue(out, config.fnsd, " fraction of non-scavengeable DNA damage (fnsd)");
    writeIndentedValue(out, config.chmx, " concentration (mol dm^-3) at half-level (chmx)");
    writeIndentedValue(out, config.conc, " DMSO concentration (mol dm^-3)");
}

OxygenFactors oxygenFactors(double repairProbability)
{
    const double fixation = 1.0 - repairProbability;
    const double hrf = fixation > 0.0 ? 1.0 / fixation : 1.0;
    return OxygenFactors{repairProbability, fixation, hrf, hrf * hrf};
}

void writeOxygenSection(std::ostream& out, const RunConfig& config, double repairProbability)
{
    const OxygenFactors factors = oxygenFactors(repairProbability);

    std::string line = makeField("OXYGEN SIMULATION (", reportLineLength);
    appendNumber(config.m0, "F3", "M0=", line);
    appendNumber(config.k, "F4", ", K=", line);
    appendNumber(config.q, "F2", ", q=", line);
    appendNumber(config.r, "F2", ", r=", line);
    appendText(")", line);
    writeLine(out, RecordForm::blankLineFirst, line);

    line = blankLine();
    appendNumber(config.po2, "E4", "", line);
    appendNumber(config.po2 * mmHgPerPercentO2, "F2", " % O2 concentration (=", line);
    appendText(" mmHg) ", line);
    writeLine(out, RecordForm::indented, line);

    writeIndentedValue(out, factors.repairProbability, " chemical repair probability (pcr)");
    writeIndentedValue(out, factors.fixationProbability, " O2 fixation probability (1-pcr)");
    writeIndentedValue(out, factors.ssbHypoxiaReduction, " Approx. HRF for SSB induction [=1/(1-pcr)]");
    writeIndentedValue(out, factors.dsbHypoxiaReduction, " Approx. HRF for DSB induction [1/(1-pcr)]^2");
}

}  // namespace kesp
