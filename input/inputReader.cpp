#include "input/inputReader.h"

#include <fstream>

#include "input/blockLine.h"
#include "input/blockReaders.h"
#include "input/fieldReader.h"
#include "physics/particleSetup.h"
#include "support/runError.h"
#include "support/text.h"

namespace kesp {

namespace {

// Without the oxygen effect the oxygen model is neutral.
void setNeutralOxygen(RunConfig& config)
{
    config.po2 = 100.0;
    config.m0 = 1.0;
    config.k = 1.0;
    config.q = 1.0;
    config.r = 1.0;
}

// A first component that cannot be set up, or lies below its validity limit
// without the oxygen model, is replaced by a 1 MeV electron.
void replaceUnusableFirstComponent(RunSettings& settings)
{
    FieldComponent& first = settings.field.components[1];
    const ParticleStatus status = describeParticle(
        first.name, first.kineticEnergy, massConstantsFor(settings.options.masses2006)).status;
    if (statusUnderOxygenModel(status, settings.options.oxygenEffect) != ParticleStatus::aboveLimit) {
        first.name = makeField("e", particleNameLength);
        first.kineticEnergy = 1.0;
    }
}

}  // namespace

RunSettings readInput(std::istream& input, const RunOptions& options)
{
    if (!rewindInput(input)) {
        stopRun("The input cannot be read from its start; give a regular file.");
    }
    RunSettings settings;
    settings.options = options;
    RunConfig& config = settings.config;
    // The input side falls back to defaults: what a block reader noticed does
    // not change what is read next.
    static_cast<void>(readSimconBlock(input, config));
    if (options.oxygenEffect) {
        static_cast<void>(readEvo2Block(input, config));
    } else {
        setNeutralOxygen(config);
    }
    static_cast<void>(readDmsoBlock(input, config));
    static_cast<void>(readCellBlock(input, config));
    static_cast<void>(readKespBlock(input, config));
    settings.field = readRadiationBlock(input, massConstantsFor(options.masses2006)).field;
    replaceUnusableFirstComponent(settings);
    // The file was repositioned for every block; leaving it at its start is
    // a courtesy to the caller, and a failure then changes nothing read.
    static_cast<void>(rewindInput(input));
    return settings;
}

RunSettings readInputFile(const std::filesystem::path& inputFile, RunOptions options)
{
    std::error_code error;
    std::ifstream input;
    if (std::filesystem::is_regular_file(inputFile, error)) {
        input.open(inputFile);
    }
    if (!input.is_open() || !input) {
        stopRun("Input file " + inputFile.string() + " is not a readable file");
    }
    options.inputFileName = makeField(inputFile.string(), fileNameLength);
    return readInput(input, options);
}

}  // namespace kesp
