#include "kesp/report/reportDriver.h"

#include <string>
#include <string_view>

#include "kesp/report/clusterTables.h"
#include "kesp/report/damageSections.h"
#include "kesp/report/dosimetrySection.h"
#include "kesp/report/mixedFieldTables.h"
#include "kesp/report/particleSection.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/numberFormat.h"

namespace kesp {

namespace {

constexpr std::size_t echoFieldWidth = 11;

void writeEcho(std::ostream& out, double value, std::string_view code, std::string_view label)
{
    writeLine(out, RecordForm::plain,
              numberField(value, code, echoFieldWidth) + "     " + std::string(label));
}

void writeSettingsEcho(std::ostream& out, const RunSettings& settings, const RunResults& results)
{
    writeEcho(out, settings.dnaContent, "E4", "DNA content (Gbp)");
    writeEcho(out, settings.nucleusDiameter, "E4", "Dia. of cell nucleus (um)");
    writeEcho(out, results.cellsSimulated, "I", "number of cells (nocs)");
    writeEcho(out, results.seed, "I", "random number seed");
}

}  // namespace

void writeReport(std::ostream& out, const RunSettings& settings, const RunResults& results)
{
    writeInterruption(out, results);
    writeSettingsEcho(out, settings, results);
    if (results.singleParticle) {
        writeParticleSection(out, results.particle.particle);
        writeDosimetrySection(out, results.particle, settings.nucleusDiameter);
        writeDamageSection(out, results.yields, settings.unrepairableBaseFraction);
        writeOxygenSection(out, settings, results.yields.repairProbability);
        writeDmsoSection(out, settings);
    } else {
        writeMixedFieldTable(out, settings.oxygenPercent, results.components);
    }
    writeClusterTables(out, results.statistics, settings.dnaContent);
}

void writeInterruption(std::ostream& out, const RunResults& results)
{
    if (results.interrupted) {
        writeLine(out, RecordForm::plain,
                  "Run interrupted after " + std::to_string(results.cellsSimulated) + " of "
                      + std::to_string(results.cellsRequested) + " cells");
    }
}

}  // namespace kesp
