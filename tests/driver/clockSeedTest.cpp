// SEED=0 asks for a seed from the clock: runs started together get
// different seeds, and the seed a report prints repeats its run. The real
// executable on real files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/runHarness.h"

namespace {

namespace fs = std::filesystem;

const std::string cheapRadiation = "RADX: PAR=56Fe KE=5600\n";

// The seed the report prints; 0 when it prints none.
long printedSeed(const std::vector<std::string>& report)
{
    const auto line = std::find_if(report.begin(), report.end(), [](const std::string& text) {
        return text.ends_with("     random number seed");
    });
    return line == report.end() ? 0 : std::stol(*line);
}

std::vector<std::string> withoutRunningTime(std::vector<std::string> report)
{
    std::erase_if(report, [](const std::string& line) { return line.ends_with("running time (min)"); });
    return report;
}

TEST(ClockSeedTest, runsStartedTogetherGetDifferentSeedsThatRepeatTheirRuns)
{
    const fs::path dir = kesp::makeRunDirectory("kespClockSeed");
    const std::vector<std::string> names = {"a", "b", "c"};
    for (const std::string& name : names) {
        std::ofstream(dir / (name + ".inp")) << "SIMCON: NOCS=20 SEED=0\n" << cheapRadiation;
    }
    // Three processes started at once, as a script or an array job starts them.
    std::string command = "cd " + kesp::shellQuoted(dir.string()) + " && {";
    for (const std::string& name : names) {
        command += " timeout 120 " + kesp::shellQuoted(KESP_EXECUTABLE) + " " + name + ".inp > " + name + ".txt 2>&1 &";
    }
    command += " wait; }";
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::vector<long> seeds;
    for (const std::string& name : names) {
        const long seed = printedSeed(kesp::readTextLines(dir / (name + ".out")));
        EXPECT_GE(seed, 1) << name;
        EXPECT_LE(seed, 2147483646L) << name;
        seeds.push_back(seed);
    }
    std::sort(seeds.begin(), seeds.end());
    EXPECT_EQ(std::adjacent_find(seeds.begin(), seeds.end()), seeds.end())
        << seeds[0] << " " << seeds[1] << " " << seeds[2];

    // The printed seed, given in the input, repeats the run figure for figure.
    const std::vector<std::string> first = kesp::readTextLines(dir / "a.out");
    std::ofstream(dir / "again.inp") << "SIMCON: NOCS=20 SEED=" << printedSeed(first) << '\n' << cheapRadiation;
    ASSERT_EQ(kesp::runProgram(dir, {"again.inp"}).exitStatus, 0);
    EXPECT_EQ(withoutRunningTime(kesp::readTextLines(dir / "again.out")), withoutRunningTime(first));
    fs::remove_all(dir);
}

}  // namespace
