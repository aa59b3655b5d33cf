#include "input/inputReader.h"

#include "driver/commandLine.h"
#include "input/blockLine.h"
#include "input/blockReaders.h"
#include "input/fieldReader.h"
#include "input/radiationField.h"
#include "input/runConfig.h"
#include "physics/particleSetup.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"
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

// Both generators start from the seed; a seed of 0 is replaced by one from the
// clock, stored back so that the report shows the seed really used.
void seedGenerators(RunConfig& config)
{
    seedCombined(config.seed);
    setStreamSeed(0, config.seed);
}

// The first component becomes the current particle; a particle that cannot be
// set up is replaced by a 1 MeV electron.
void setUpFirstComponent()
{
    FieldComponent& first = radiationField().components[1];
    if (setParticle(first.name, first.kineticEnergy) != 0) {
        first.name = makeField("e", particleNameLength);
        first.kineticEnergy = 1.0;
        setParticle(first.name, first.kineticEnergy);
    }
}

}  // namespace

std::int32_t readInput(std::istream& input)
{
    if (!rewindInput(input)) {
        return -1;
    }
    RunConfig& config = runConfig();
    readSimconBlock(input);
    seedGenerators(config);
    if (runOptions().oxygenEffect) {
        readEvo2Block(input);
    } else {
        setNeutralOxygen(config);
    }
    readDmsoBlock(input);
    readCellBlock(input);
    readKespBlock(input);
    readRadiationBlock(input);
    setUpFirstComponent();
    return rewindInput(input) ? 0 : -1;
}

}  // namespace kesp
