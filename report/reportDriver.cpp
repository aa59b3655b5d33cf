#include "report/reportDriver.h"

#include <string>
#include <string_view>

#include "input/radiationField.h"
#include "input/runConfig.h"
#include "report/clusterTables.h"
#include "report/damageSections.h"
#include "report/dosimetrySection.h"
#include "report/mixedFieldTables.h"
#include "report/particleSection.h"
#include "support/lineWriter.h"
#include "support/numberFormat.h"

namespace kesp {

namespace {

constexpr std::size_t echoFieldWidth = 11;

void writeEcho(std::ostream& out, double value, std::string_view code, std::string_view label)
{
    writeLine(out, RecordForm::plain,
              numberField(value, code, echoFieldWidth) + "     " + std::string(label));
}

void writeSettingsEcho(std::ostream& out)
{
    const RunConfig& config = runConfig();
    writeEcho(out, config.dna, "E4", "DNA content (Gbp)");
    writeEcho(out, config.ndia, "E4", "Dia. of cell nucleus (um)");
    writeEcho(out, config.nocs, "I", "number of cells (nocs)");
    writeEcho(out, config.seed, "I", "random number seed");
}

}  // namespace

void writeReport(std::ostream& out)
{
    writeSettingsEcho(out);
    if (radiationField().singleParticle) {
        writeParticleSection(out);
        writeDosimetrySection(out);
        writeDamageSection(out);
        writeOxygenSection(out);
        writeDmsoSection(out);
    } else {
        writeMixedFieldTable(out);
    }
    scaleTallies();
    writeClusterTables(out);
}

}  // namespace kesp
