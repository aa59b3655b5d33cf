// The one header a caller includes is enough to read an input, run it on
// the threads asked for and tell the kinds of error apart.

#include "kesp/kesp.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(KespHeaderTest, theUmbrellaHeaderAloneReadsRunsAndReportsErrors)
{
    std::istringstream input("SIMCON: NOCS=20 SEED=7\nEVO2: PO2=21\nRADX: PAR=56Fe KE=5600\n");
    kesp::RunSwitches switches;
    ASSERT_TRUE(kesp::applySwitchWord("/nq", switches));
    kesp::RunSettings read = kesp::readInput(input, switches);
    read.threads = 2;

    kesp::RunSettings built;
    built.cells = 20;
    built.seed = 7;
    built.oxygenPercent = 21.0;
    built.oxygenModel.zebDependent = false;
    built.field = kesp::RadiationField("56Fe", 5600.0);
    built.threads = 2;
    EXPECT_EQ(read, built);

    kesp::NoProgress quiet;
    const kesp::RunResults results = kesp::simulate(read, quiet);
    EXPECT_EQ(results.cellsSimulated, 20);
    EXPECT_EQ(results.seed, 7);

    try {
        static_cast<void>(kesp::RadiationField({{"p", 10.0, -1.0}}));
        ADD_FAILURE() << "a negative weight was taken";
    } catch (const kesp::RunError& error) {
        EXPECT_EQ(error.kind(), kesp::ErrorKind::input);
    }
    kesp::SimulationRun run(read);
    static_cast<void>(run.simulate(quiet));
    try {
        static_cast<void>(run.simulate(quiet));
        ADD_FAILURE() << "a run simulated twice";
    } catch (const kesp::RunError& error) {
        EXPECT_EQ(error.kind(), kesp::ErrorKind::usage);
    }
}

}  // namespace
