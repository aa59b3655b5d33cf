#pragma once
// The checks of settings made in code (C++, Python, a scan's configurations),
// with the texts the input reader gives for the same values in an input file.
// The input reader runs the same checks (the functions below), so a value
// draws one message whichever way it came in.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"
#include "kesp/physics/particleSetup.h"

namespace kesp {

/// What a run of these settings would draw as warnings or notes, for
/// settings that did not come from an input file: every diagnostic has no
/// file and line 0, and names the block of the input item it concerns
/// ("RADX:", "CELL:", "SIMCON:", "EVO2:"); the messages are those an input
/// file of the same values draws. Throws RunError of kind input for a
/// particle name the run would simulate as another particle (see
/// requireNamedParticle), and of kind usage for a field without components
/// (one that was moved from).
std::vector<Diagnostic> checkSettings(const RunSettings& settings);

/// Throws RunError of kind usage when the settings' field has no
/// components: a field or settings that were moved from, which no run may
/// take to its physics.
void requireComponents(const RunSettings& settings);

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
