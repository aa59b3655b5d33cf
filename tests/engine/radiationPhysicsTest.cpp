// Physics shared between runs: a run that takes the physics of its
// radiation from another run gives the numbers of a run of its own, and a
// run is never given the physics of another radiation.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/input/inputReader.h"
#include "kesp/report/reportDriver.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;

std::string reportOf(SimulationRun& run)
{
    NoProgress quiet;
    const RunResults results = run.simulate(quiet);
    std::ostringstream report;
    writeReport(report, run.settings(), results);
    return report.str();
}

// Other oxygen, scavenger, DNA and cell settings than the example's: none
// of them changes the physics of the radiation.
RunSettings otherConditions(RunSettings settings)
{
    settings.oxygenPercent = 0.5;
    settings.dmso.concentration = 0.2;
    settings.dnaContent = 12.0;
    settings.cells = 40;
    settings.seed = 4711;
    return settings;
}

TEST(RadiationPhysicsTest, runsTakingAnotherRunsPhysicsGiveTheReportsOfRunsOfTheirOwn)
{
    const fs::path previous = fs::current_path();
    fs::current_path(fs::path(KESP_SOURCE_DIR) / "examples");  // the field file is named relative to it
    for (const std::string name : {"proton10MeV", "carbon10MeVperNucleon", "electron1MeV", "mixedField"}) {
        const RunSettings example = readInputFile(name + ".inp");
        SimulationRun first(example);
        const std::shared_ptr<const RadiationPhysics> physics = first.radiationPhysics();
        ASSERT_NE(physics, nullptr) << name;
        SimulationRun own(otherConditions(example));
        SimulationRun sharing(otherConditions(example), physics);
        EXPECT_EQ(reportOf(sharing), reportOf(own)) << name;
        EXPECT_EQ(sharing.radiationPhysics(), physics) << name;  // the same object, not a copy
    }
    fs::current_path(previous);
}

TEST(RadiationPhysicsTest, theRunsOfAnotherRadiationAreRefusedItsPhysics)
{
    RunSettings proton;
    proton.field = singleParticleField("p", 10.0);
    SimulationRun first(proton);
    const std::shared_ptr<const RadiationPhysics> physics = first.radiationPhysics();

    const std::vector<std::pair<std::string, std::function<void(RunSettings&)>>> others{
        {"another energy", [](RunSettings& s) { s.field = singleParticleField("p", 20.0); }},
        {"another particle", [](RunSettings& s) { s.field = singleParticleField("4He", 10.0); }},
        {"a mixed field", [](RunSettings& s) { s.field = mixedField({{"p", 10.0, 1.0}, {"e", 1.0, 1.0}}); }},
        {"the older masses", [](RunSettings& s) { s.masses2006 = true; }},
        {"another nucleus", [](RunSettings& s) { s.nucleusDiameter = 8.0; }},
    };
    for (const auto& [what, change] : others) {
        RunSettings settings = proton;
        change(settings);
        EXPECT_THROW(SimulationRun(settings, physics), RunError) << what;
    }
    EXPECT_NO_THROW(SimulationRun(otherConditions(proton), physics));
}

}  // namespace
}  // namespace kesp
