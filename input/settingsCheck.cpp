#include "kesp/input/settingsCheck.h"

#include <cmath>
#include <string>

#include "kesp/input/particleNames.h"
#include "kesp/input/plausibleRanges.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr double zebLimit = 10000.0;  // the effective-charge model holds up to Zeff/beta = 100

// A diagnostic of settings made in code: no file, no line.
constexpr int noLine = 0;

// "12C at 120 MeV", as the report's particle section names the particle.
std::string describe(const ParticleState& particle)
{
    return particleLabel(particle.Z, particle.A, particle.symbol) + " at " + formatValue(particle.T) + " MeV";
}

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

void checkEffectiveChargeLimit(const FieldComponent& component, const DescribedParticle& described,
                               const LimitCheck& check, InputDiagnostics& diagnostics)
{
    const ParticleState& particle = described.particle;
    const std::string limit = "the validity limit " + formatValue(particle.tLimit)
                              + " MeV of the effective-charge model";
    const std::string prefix(check.prefix);
    if (check.replaced && described.status == ParticleStatus::notUsable) {
        if (identifyParticle(component.nameField(), defaultMassConstants).status >= 0) {
            diagnostics.warn(check.line, "RADX:", prefix + "the kinetic energy " + formatValue(component.kineticEnergy)
                                                      + " MeV is not a positive number that gives "
                                                      + std::string(trimmed(component.name))
                                                      + " a speed; using the 1 MeV electron");
        }
    } else if (check.replaced) {
        diagnostics.warn(check.line, "RADX:", prefix + describe(particle) + " is below " + limit
                                                  + "; without the oxygen model the run uses the 1 MeV electron");
    } else if (described.status != ParticleStatus::notUsable && check.warnBelowLimit
               && (described.status == ParticleStatus::belowLimit || particle.zeb > zebLimit)) {
        diagnostics.warn(check.line, "RADX:", prefix + describe(particle) + " is below " + limit
                                                  + " ((Zeff/beta)^2 = " + formatValue(particle.zeb)
                                                  + " above 10000); the report prints the limit as met");
    }
}

// A run of fewer than 2 cells has no standard errors, yet the report's SEM
// columns print 0 as if the means were exact; 1 cell is also what a missing
// or misspelt NOCS= gives.
void checkCellCount(std::int32_t cells, std::optional<int> simconLine, InputDiagnostics& diagnostics)
{
    if (cells >= 2) {
        return;
    }
    const std::string what = "1 cell is simulated: a run of 1 cell has no standard errors and every SEM "
                             "column of the report prints 0; ";
    if (simconLine) {
        diagnostics.warnOfResult(*simconLine, "SIMCON:",
                                 what + "write NOCS=2 or more (1 is the default when NOCS= is missing or misspelt)");
    } else {
        diagnostics.warnOfResult(0, "", what + "add a line SIMCON: NOCS=2 or more (1 is the default without it)");
    }
}

// Model parameters that make a printed quantity meaningless.
void checkOxygenModel(const OxygenModel& model, int line, InputDiagnostics& diagnostics)
{
    if (model.enabled && model.maximumEnhancement < 1.0) {
        diagnostics.warn(line, "EVO2:",
                         "M0=" + formatValue(model.maximumEnhancement)
                             + " is below 1: the chemical repair probability printed is negative and no "
                               "lesion is repaired; M0 is the maximum oxygen enhancement, at least 1");
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
