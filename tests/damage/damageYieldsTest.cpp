#include "kesp/damage/damageYields.h"

#include <gtest/gtest.h>

#include "kesp/input/runSettings.h"
#include "kesp/input/runSwitches.h"

namespace kesp {
namespace {

class DamageYieldsTest : public ::testing::Test {
protected:
    RunSettings config;

    DamageYields yieldsAt(double zeb) const { return computeDamageYields(zeb, config); }
};

TEST_F(DamageYieldsTest, segmentLengthFollowsTheSaturatingCurve)
{
    EXPECT_EQ(yieldsAt(0.0).segmentLength, 149200);
    EXPECT_EQ(yieldsAt(267.0).segmentLength, 149200 - 123600 / 2);
    // Hand-evaluated: 149200 - 123600*1000/1267 = 51646.49... truncates to 51646.
    EXPECT_EQ(yieldsAt(1000.0).segmentLength, 51646);
    EXPECT_GT(yieldsAt(1e12).segmentLength, 25600 - 1);
}

TEST_F(DamageYieldsTest, dmsoLowersStrandBreaksTowardTheNonScavengeableShare)
{
    struct Case { double conc, chmx, fnsd; int strandBreaks; };
    const Case cases[] = {
        {0.0, 0.5, 0.5, 1300},
        {0.5, 0.5, 0.5, 975},
        {0.5, 0.5, 1.0, 1300},
        {1e9, 0.5, 0.5, 650},
        {0.0, 0.0, 0.5, 1300},  // no scavenger at all: the full yield, not 0/0
    };
    for (const Case& c : cases) {
        config.dmso.concentration = c.conc;
        config.dmso.halfLevelConcentration = c.chmx;
        config.dmso.nonScavengeableFraction = c.fnsd;
        const DamageYields yields = yieldsAt(10.0);
        EXPECT_EQ(yields.strandBreaks, c.strandBreaks) << "conc " << c.conc << " chmx " << c.chmx;
        EXPECT_EQ(yields.baseDamages, 3 * c.strandBreaks);
    }
}

TEST_F(DamageYieldsTest, repairProbabilityFollowsTheOxygenModel)
{
    // Low zeb: the oxygen factor is M0 itself.
    EXPECT_DOUBLE_EQ(yieldsAt(0.0).repairProbability,
                     1.0 - (0.3372 + 100.0) / (100.0 + 1.74 * 0.3372));
    EXPECT_GT(yieldsAt(0.0).repairProbability, 0.0);  // even a normoxic cell repairs a little
    config.oxygenPercent = 0.0;
    EXPECT_DOUBLE_EQ(yieldsAt(0.0).repairProbability, 1.0 - 1.0 / 1.74);
    // At zeb = q the factor lies half-way between M0 and 1.
    EXPECT_DOUBLE_EQ(yieldsAt(946.1).repairProbability, 1.0 - 1.0 / ((1.74 + 1.0) / 2.0));
    config.oxygenModel.zebDependent = false;
    EXPECT_DOUBLE_EQ(yieldsAt(946.1).repairProbability, 1.0 - 1.0 / 1.74);
    config.oxygenModel.enabled = false;
    EXPECT_EQ(yieldsAt(946.1).repairProbability, 0.0);
}

}  // namespace
}  // namespace kesp
