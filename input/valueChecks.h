#pragma once
// The checks of values that the input reader and the checks of settings
// made in code (input/settingsCheck.h) share: one implementation, so a value
// draws the same words from an input file and from code.

#include <cstdint>
#include <optional>
#include <string_view>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/particleSetup.h"

namespace kesp {

/// How a component's effective charge is checked against the validity
/// limit of its model: the input reader replaces an unusable first
/// component, or one below its limit without the oxygen model, by the 1 MeV
/// electron (`replaced`) and warns below the limit only with the oxygen
/// model on; in code nothing is replaced and every component is checked.
struct LimitCheck {
    bool replaced = false;        ///< the run uses the 1 MeV electron instead
    bool warnBelowLimit = false;  ///< warn of a usable particle below its limit
    int line = 0;                 ///< the RADX: line; 0 in code
    std::string_view prefix;      ///< begins each message ("component 2: ")
};

/// Warns of a particle replaced for lying below the validity limit of the
/// effective-charge model, or of one below it whose report would print the
/// limit as met ((Zeff/beta)^2 above 10000).
void checkEffectiveChargeLimit(const FieldComponent& component, const DescribedParticle& described,
                               const LimitCheck& check, InputDiagnostics& diagnostics);

/// Warns of a run of fewer than 2 cells (Severity::resultWarning): it has
/// no standard errors. `simconLine` is the SIMCON: line the cell count was
/// read from (0 in code), nothing when the input has no such line.
void checkCellCount(std::int32_t cells, std::optional<int> simconLine, InputDiagnostics& diagnostics);

/// Warns of an oxygen model whose M0 is below 1 (EVO2: line `line`).
void checkOxygenModel(const OxygenModel& model, int line, InputDiagnostics& diagnostics);

}  // namespace kesp
