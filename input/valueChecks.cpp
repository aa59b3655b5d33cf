#include "kesp/input/valueChecks.h"

#include <string>

#include "kesp/input/particleNames.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr double zebLimit = 10000.0;  // the effective-charge model holds up to Zeff/beta = 100

// "12C at 120 MeV", as the report's particle section names the particle.
std::string describe(const ParticleState& particle)
{
    return particleLabel(particle.Z, particle.A, particle.symbol) + " at " + formatValue(particle.T) + " MeV";
}

}  // namespace

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

}  // namespace kesp
