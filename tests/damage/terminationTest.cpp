// Lesion placement and chemical repair must end for every configuration the
// input readers accept: placement draws free sites by rejection and repair
// draws list entries until enough lesions of a kind are gone, so an extreme
// setting could in principle keep either loop going for ever. Each case
// simulates a few cells under a watchdog alarm (a hang kills the test instead
// of stalling the suite) and checks its own clock; where an extreme leaves no
// lesion to cluster, the run must stop with the program's message.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "kesp/damage/cellSimulation.h"
#include "kesp/damage/clusterTally.h"
#include "kesp/damage/damageYields.h"
#include "damage/runErrorMessage.h"
#include "kesp/input/blockReaders.h"
#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/randomStream.h"

namespace kesp {
namespace {

constexpr int cellsPerCase = 3;
// Three cells of the longest segment take well under a second in the
// sanitizer build; the alarm is a last resort against a loop that never ends.
constexpr unsigned watchdogSeconds = 60;
constexpr double expectedSecondsAtMost = 20.0;

// Zeb values that give the longest and the shortest DNA segment.
constexpr double zebLongestSegment = 0.0;     // 149200 bp
constexpr double zebShortestSegment = 1.0e12; // 25600 bp, the limit of the fit

struct Extreme {
    std::string name;
    double zeb = 300.0;
    double po2 = 100.0, m0 = 1.74, k = 0.3372, q = 946.1, r = 2.15;
    double conc = 0.0, fnsd = 0.5, chmx = 0.5, fbl = 0.0;
    std::int32_t seed = 4711;
    std::string stopMessage;  // of a case that cannot run: every lesion repaired, none placed, or no finite model
};

// Test names show the case, not the bytes of the record.
void PrintTo(const Extreme& e, std::ostream* out)
{
    *out << e.name;
}

class TerminationTest : public ::testing::TestWithParam<Extreme> {
protected:
    void SetUp() override
    {
        const Extreme& e = GetParam();
        config.oxygenPercent = e.po2;
        config.oxygenModel.maximumEnhancement = e.m0;
        config.oxygenModel.halfEffectOxygen = e.k;
        config.oxygenModel.halfEffectZeb = e.q;
        config.oxygenModel.steepness = e.r;
        config.dmso.concentration = e.conc;
        config.dmso.nonScavengeableFraction = e.fnsd;
        config.dmso.halfLevelConcentration = e.chmx;
        config.unrepairableBaseFraction = e.fbl;
        config.cells = cellsPerCase;
        cells.generator = seededCombined(e.seed);
        cells.streams.seed(0, e.seed);
    }
    void TearDown() override { alarm(0); }

    // The particle's yields and its segment, then the cells.
    ProgressCounts simulate()
    {
        yields = computeDamageYields(GetParam().zeb, config);
        allocateSegment(cells.segment, yields.segmentLength);
        return simulateCells(cells, CellDose{yields, config.unrepairableBaseFraction, 0.01}, cellsPerCase);
    }

    RunSettings config;
    DamageYields yields;
    CellSimulation cells;
};

TEST_P(TerminationTest, fewCellsEndInTime)
{
    alarm(watchdogSeconds);
    if (!GetParam().stopMessage.empty()) {
        EXPECT_EQ(test::runErrorMessage([this] { simulate(); }), GetParam().stopMessage);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    const ProgressCounts progress = simulate();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    // Placement needs sigSb + sigBd free sites: at most 5200 lesions on at
    // least 2 x 25600 sites for every accepted setting.
    EXPECT_LE(yields.strandBreaks + yields.baseDamages, 2 * yields.segmentLength);
    EXPECT_LT(elapsed.count(), expectedSecondsAtMost);
    EXPECT_GT(progress.all, 0.0);
    finaliseTally(cells.tally, config.cells);
    EXPECT_GT(cells.tally.sumCount[tallyRows][tallyCategories], 0.0);
}

const std::string missingDamage = "Damage information for this DNA segment is missing";

Extreme make(std::string name, void (*adjust)(Extreme&))
{
    Extreme e;
    e.name = std::move(name);
    adjust(e);
    return e;
}

std::vector<Extreme> extremes()
{
    return {
        make("tinyM0Anoxic", [](Extreme& e) { e.m0 = 1e-300; e.po2 = 0.0; }),  // negative pcr: no repair
        make("hugeM0Anoxic", [](Extreme& e) { e.m0 = 1e300; e.po2 = 0.0; e.stopMessage = missingDamage; }),
        make("hugeM0Aerobic", [](Extreme& e) { e.m0 = 1e300; e.stopMessage = missingDamage; }),
        make("largestFiniteM0", [](Extreme& e) { e.m0 = 1.7e308; e.k = 100.0; e.po2 = 0.0; e.stopMessage = missingDamage; }),
        make("smallestKAnoxic", [](Extreme& e) { e.k = smallestK; e.po2 = 0.0; }),
        make("smallestKAerobic", [](Extreme& e) { e.k = smallestK; }),
        make("largestKAnoxic", [](Extreme& e) { e.k = 100.0; e.po2 = 0.0; }),
        make("largestKAerobic", [](Extreme& e) { e.k = 100.0; }),
        make("hugeQAndR", [](Extreme& e) { e.q = 1e300; e.r = 1e300; e.po2 = 0.0; }),
        make("tinyQHugeR", [](Extreme& e) { e.q = 1e-300; e.r = 1e300; e.po2 = 0.0; }),
        make("tinyQAndR", [](Extreme& e) { e.q = 1e-300; e.r = 1e-300; e.po2 = 0.0; }),
        // The repair probability overflows to -Inf: no finite model to simulate.
        make("hugeM0TinyQ", [](Extreme& e) {
            e.m0 = 1e300;
            e.q = 1e-300;
            e.r = 1.0;
            e.po2 = 0.0;
            e.stopMessage = "The chemical repair probability is not a finite number (-Inf) for EVO2: PO2=0 "
                            "M0=1e+300 K=0.3372 Q=1e-300 R=1; no report is written.";
        }),
        // Every Bd is of the kind repair never removes, while repair still
        // asks for Bd: the Bd loop must give up instead of drawing for ever.
        make("allBlAnoxic", [](Extreme& e) { e.fbl = 1.0; e.po2 = 0.0; }),
        make("allBlStrongRepair", [](Extreme& e) { e.fbl = 1.0; e.po2 = 0.0; e.m0 = 1e6; }),
        make("longestSegment", [](Extreme& e) { e.zeb = zebLongestSegment; e.po2 = 0.0; }),
        make("shortestSegment", [](Extreme& e) { e.zeb = zebShortestSegment; e.po2 = 0.0; }),
        make("hugeDmso", [](Extreme& e) { e.conc = 1e300; }),
        make("hugeDmsoNothingUnscavengeable", [](Extreme& e) { e.conc = 1e300; e.fnsd = 0.0; e.stopMessage = missingDamage; }),
        make("hugeDmsoAllUnscavengeable", [](Extreme& e) { e.conc = 1e300; e.fnsd = 1.0; }),
        make("noHalfLevelWithoutDmso", [](Extreme& e) { e.chmx = 0.0; }),
        make("noHalfLevelWithDmso", [](Extreme& e) { e.chmx = 0.0; e.conc = 0.1; e.fnsd = 0.0; e.stopMessage = missingDamage; }),
        // The largest seed makes the repair stream degenerate unless it is reduced.
        make("largestSeedAnoxic", [](Extreme& e) { e.seed = 2147483647; e.po2 = 0.0; }),
    };
}

INSTANTIATE_TEST_SUITE_P(Extremes, TerminationTest, ::testing::ValuesIn(extremes()),
                         [](const ::testing::TestParamInfo<Extreme>& caseInfo) { return caseInfo.param.name; });

}  // namespace
}  // namespace kesp
