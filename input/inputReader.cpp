#include "kesp/input/inputReader.h"

#include <fstream>

#include "kesp/input/blockLine.h"
#include "kesp/input/blockReaders.h"
#include "kesp/input/fieldReader.h"
#include "kesp/input/inputScan.h"
#include "kesp/input/particleNames.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

constexpr double zebLimit = 10000.0;  // the effective-charge model holds up to Zeff/beta = 100

// Without the oxygen effect the oxygen model is neutral.
void setNeutralOxygen(RunSettings& settings)
{
    settings.oxygenPercent = 100.0;
    settings.oxygenModel.maximumEnhancement = 1.0;
    settings.oxygenModel.halfEffectOxygen = 1.0;
    settings.oxygenModel.halfEffectZeb = 1.0;
    settings.oxygenModel.steepness = 1.0;
}

// "12C at 120 MeV", as the report's particle section names the particle.
std::string describe(const ParticleState& particle)
{
    return particleLabel(particle.Z, particle.A, particle.symbol) + " at " + formatValue(particle.T) + " MeV";
}

// Why a first component is replaced, or why its report would print a
// validity limit as met that is not.
void checkFirstComponent(const FieldComponent& first, const DescribedParticle& described,
                         bool replaced, bool oxygenEffect, InputDiagnostics& diagnostics)
{
    const int line = diagnostics.takenLine("RADX:");
    const ParticleState& particle = described.particle;
    const std::string limit = "the validity limit " + formatValue(particle.tLimit)
                              + " MeV of the effective-charge model";
    if (replaced && described.status == ParticleStatus::notUsable) {
        if (identifyParticle(first.nameField(), defaultMassConstants).status >= 0) {
            diagnostics.warn(line, "RADX:", "the kinetic energy " + formatValue(first.kineticEnergy)
                                                + " MeV is not a positive number that gives "
                                                + std::string(trimmed(first.name))
                                                + " a speed; using the 1 MeV electron");
        }
    } else if (replaced) {
        diagnostics.warn(line, "RADX:", describe(particle) + " is below " + limit
                                            + "; without the oxygen model the run uses the 1 MeV electron");
    } else if (oxygenEffect && (described.status == ParticleStatus::belowLimit || particle.zeb > zebLimit)) {
        diagnostics.warn(line, "RADX:", describe(particle) + " is below " + limit + " ((Zeff/beta)^2 = "
                                            + formatValue(particle.zeb)
                                            + " above 10000); the report prints the limit as met");
    }
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
        checkFirstComponent(first, described, replace, settings.oxygenModel.enabled, *diagnostics);
    }
    if (replace) {
        // A mixed field keeps its weights: only its first particle changes.
        settings.field = settings.field.withParticle(1, "e", 1.0);
    }
}

// A run of fewer than 2 cells has no standard errors, yet the report's SEM
// columns print 0 as if the means were exact; 1 cell is also what a missing
// or misspelt NOCS= gives.
void checkCellCount(const RunSettings& settings, InputDiagnostics& diagnostics)
{
    if (settings.cells >= 2) {
        return;
    }
    const std::string what = "1 cell is simulated: a run of 1 cell has no standard errors and every SEM "
                             "column of the report prints 0; ";
    const int line = diagnostics.takenLine("SIMCON:");
    if (line > 0) {
        diagnostics.warnOfResult(line, "SIMCON:",
                                 what + "write NOCS=2 or more (1 is the default when NOCS= is missing or misspelt)");
    } else {
        diagnostics.warnOfResult(0, "", what + "add a line SIMCON: NOCS=2 or more (1 is the default without it)");
    }
}

// Model parameters that make a printed quantity meaningless.
void checkOxygenModel(const RunSettings& settings, InputDiagnostics& diagnostics)
{
    if (settings.oxygenModel.enabled && settings.oxygenModel.maximumEnhancement < 1.0) {
        diagnostics.warn(diagnostics.takenLine("EVO2:"), "EVO2:",
                         "M0=" + formatValue(settings.oxygenModel.maximumEnhancement)
                             + " is below 1: the chemical repair probability printed is negative and no "
                               "lesion is repaired; M0 is the maximum oxygen enhancement, at least 1");
    }
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
        checkCellCount(settings, *diagnostics);
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
        checkOxygenModel(settings, *diagnostics);
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
