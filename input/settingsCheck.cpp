#include "kesp/input/settingsCheck.h"

#include <cmath>
#include <optional>
#include <string>

#include "kesp/input/particleNames.h"
#include "kesp/input/plausibleRanges.h"
#include "kesp/input/valueChecks.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// A diagnostic of settings made in code: no file, no line.
constexpr int noLine = 0;

// The DNA content and nucleus diameter against what describes a cell
// nucleus, quoted as an input file of these values writes them.
void checkCellRanges(const RunSettings& settings, InputDiagnostics& diagnostics)
{
    struct CellItem {
        std::string_view keyword;
        double value;
        const PlausibleRange& range;
    };
    const CellItem items[] = {{"DNA=", settings.dnaContent, dnaContentRange},
                              {"NDIA=", settings.nucleusDiameter, nucleusDiameterRange}};
    for (const CellItem& item : items) {
        // Values that are not positive and finite are refused by the run itself.
        if (!(item.value > 0.0 && std::isfinite(item.value))) {
            continue;
        }
        const std::string written = std::string(item.keyword) + formatValue(item.value);
        if (std::optional<std::string> why = outsideRange(written, item.keyword, item.value, item.range)) {
            diagnostics.warn(noLine, "CELL:", std::move(*why));
        }
    }
}

// Each component's name (a misread one stops here), energy and validity
// limit, as the input reader checks a single particle's or a field file's.
void checkComponents(const RunSettings& settings, InputDiagnostics& diagnostics)
{
    const RadiationField& field = settings.field;
    const MassConstants& masses = massConstantsFor(settings.masses2006);
    const bool single = field.singleParticle();
    const std::string_view fallback = single ? "using the 1 MeV electron" : "";
    for (int i = 1; i <= field.componentCount(); ++i) {
        const FieldComponent& component = field.component(i);
        const std::string prefix = single ? std::string() : "component " + std::to_string(i) + ": ";
        for (NameFinding& finding :
             readParticleName(component.name, component.nameField(), masses, fallback, NameSpelling::code)) {
            if (finding.anotherParticle) {
                stopRun(ErrorKind::input, prefix + finding.message);
            }
            diagnostics.warn(noLine, "RADX:", prefix + finding.message);
        }
        const double energy = component.kineticEnergy;
        if (std::optional<std::string> why =
                energyAboveRange(component.nameField(), energy, single ? "KE=" : "", energy, masses)) {
            diagnostics.warn(noLine, "RADX:", prefix + *why);
        }
        const DescribedParticle described = describeParticle(component.nameField(), energy, masses);
        checkEffectiveChargeLimit(component, described, LimitCheck{false, true, noLine, prefix}, diagnostics);
    }
}

}  // namespace

void requireComponents(const RunSettings& settings)
{
    if (settings.field.componentCount() == 0) {
        stopRun(ErrorKind::usage, "The radiation field of these settings has no components: it was moved to "
                                  "other settings or another field; use that one.");
    }
}

std::vector<Diagnostic> checkSettings(const RunSettings& settings)
{
    requireComponents(settings);
    // In the order the input reader reads the blocks.
    InputDiagnostics diagnostics{""};
    checkCellCount(settings.cells, noLine, diagnostics);
    checkCellRanges(settings, diagnostics);
    checkComponents(settings, diagnostics);
    checkOxygenModel(settings.oxygenModel, noLine, diagnostics);
    return diagnostics.list();
}

}  // namespace kesp
