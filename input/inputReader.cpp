#include "kesp/input/inputReader.h"

#include <fstream>
#include <optional>

#include "kesp/input/blockLine.h"
#include "kesp/input/blockReaders.h"
#include "kesp/input/fieldReader.h"
#include "kesp/input/inputScan.h"
#include "kesp/input/particleNames.h"
#include "kesp/input/valueChecks.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

// Without the oxygen effect the oxygen model is neutral.
void setNeutralOxygen(RunSettings& settings)
{
    settings.oxygenPercent = 100.0;
    settings.oxygenModel.maximumEnhancement = 1.0;
    settings.oxygenModel.halfEffectOxygen = 1.0;
    settings.oxygenModel.halfEffectZeb = 1.0;
    settings.oxygenModel.steepness = 1.0;
}

// A first component that cannot be set up, or lies below its validity limit
// without the oxygen model, is replaced by a 1 MeV electron.
void replaceUnusableFirstComponent(RunSettings& settings, InputDiagnostics* diagnostics)
{
    const FieldComponent& first = settings.field.component(1);
    const DescribedParticle described =
        describeParticle(first.nameField(), first.kineticEnergy, massConstantsFor(settings.masses2006));
    const bool replace = statusUnderOxygenModel(described.status, settings.oxygenModel.enabled)
                         != ParticleStatus::aboveLimit;
    if (diagnostics != nullptr) {
        const LimitCheck check{replace, settings.oxygenModel.enabled, diagnostics->takenLine("RADX:"), {}};
        checkEffectiveChargeLimit(first, described, check, *diagnostics);
    }
    if (replace) {
        // A mixed field keeps its weights: only its first particle changes.
        settings.field = settings.field.withParticle(1, "e", 1.0);
    }
}

// The cell count of the SIMCON: line, or of none.
void checkCellCountRead(const RunSettings& settings, InputDiagnostics& diagnostics)
{
    const int line = diagnostics.takenLine("SIMCON:");
    checkCellCount(settings.cells, line > 0 ? std::optional<int>(line) : std::nullopt, diagnostics);
}

}  // namespace

RunSettings readInput(std::istream& input, const RunSwitches& switches, const std::filesystem::path& inputFile,
                      InputDiagnostics* diagnostics)
{
    if (!rewindInput(input)) {
        stopRun(ErrorKind::input, "The input cannot be read from its start; give a regular file.");
    }
    RunSettings settings;
    applySwitches(switches, settings);
    // The input side falls back to defaults: what a block reader noticed does
    // not change what is read next.
    static_cast<void>(readSimconBlock(input, settings, diagnostics));
    if (diagnostics != nullptr) {
        checkCellCountRead(settings, *diagnostics);
    }
    if (switches.oxygenEffect) {
        static_cast<void>(readEvo2Block(input, settings, diagnostics));
    } else {
        setNeutralOxygen(settings);
        if (diagnostics != nullptr) {
            diagnostics->blockTaken("EVO2:", -1);
        }
    }
    static_cast<void>(readDmsoBlock(input, settings, diagnostics));
    static_cast<void>(readCellBlock(input, settings, diagnostics));
    static_cast<void>(readKespBlock(input, settings, diagnostics));
    settings.field = readRadiationBlock(input, massConstantsFor(switches.masses2006), inputFile.parent_path(),
                                        diagnostics)
                         .field;
    replaceUnusableFirstComponent(settings, diagnostics);
    if (diagnostics != nullptr) {
        checkOxygenModel(settings.oxygenModel, diagnostics->takenLine("EVO2:"), *diagnostics);
        checkScannedLines(scanInput(input), *diagnostics);
    }
    // The file was repositioned for every block; leaving it at its start is
    // a courtesy to the caller, and a failure then changes nothing read.
    static_cast<void>(rewindInput(input));
    return settings;
}

RunSettings readInputFile(const std::filesystem::path& inputFile, const RunSwitches& switches,
                          InputDiagnostics* diagnostics)
{
    std::error_code error;
    std::ifstream input;
    if (std::filesystem::is_regular_file(inputFile, error)) {
        input.open(inputFile);
    }
    if (!input.is_open() || !input) {
        stopRun(ErrorKind::io, "Input file " + inputFile.string() + " is not a readable file");
    }
    return readInput(input, switches, inputFile, diagnostics);
}

}  // namespace kesp
