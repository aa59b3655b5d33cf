// The library's scan plan built from a structure, as the web page builds it:
// which rows an OER pairs and which reference an RBE divides by, and the one
// formula of both ratios.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "kesp/report/scanPairing.h"
#include "kesp/report/scanPlan.h"

namespace {

using namespace kesp;

ScanAxis axis(const char* item, std::vector<std::string> values)
{
    ScanAxis result{findScanItem(item), 0, {}};
    for (std::string& value : values) {
        result.values.push_back(ScanValue{std::move(value), 0, {}});
    }
    return result;
}

ScanSetting setting(const char* item, const char* value)
{
    return ScanSetting{findScanItem(item), ScanValue{value, 0, {}}};
}

ScanDefinition definition(std::vector<ScanAxis> vary, bool withReference)
{
    ScanDefinition scan;
    scan.path = "curve.yaml";
    scan.vary = std::move(vary);
    scan.fixed = {setting("NOCS", "2"), setting("SEED", "5")};
    if (withReference) {
        scan.reference = {setting("PAR", "p"), setting("KE", "10")};
    }
    return scan;
}

TEST(ScanPairingTest, anOerPairsRowsThatDifferOnlyInTheHighestAndLowestLevel)
{
    struct Case {
        std::vector<ScanAxis> vary;
        std::vector<std::optional<std::size_t>> partner;  // per configuration
        std::vector<bool> high;
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        // Oxygen varying fastest; 3 is in between.
        {{axis("PAR", {"p", "4He"}), axis("PO2", {"21", "3", "0.5"})},
         {2, none, 0, 5, none, 3},
         {true, false, false, true, false, false}},
        // Oxygen varying slowest, the low level first; MEV/A under a particle.
        {{axis("PO2", {"0.5", "21"}), axis("PAR", {"p", "12C"}), axis("MEV/A", {"5", "50"})},
         {4, 5, 6, 7, 0, 1, 2, 3},
         {false, false, false, false, true, true, true, true}},
        // The highest level given twice: both of its rows pair with the lowest.
        {{axis("MMHG", {"160", "7.6", "160"})}, {1, 0, 1}, {true, false, true}},
        // One level, or the same level twice: nothing to pair.
        {{axis("PAR", {"p", "4He"}), axis("PO2", {"21", "21.0"})}, {none, none, none, none}, {false, false, false, false}},
    };
    for (const Case& c : cases) {
        const ScanPlan plan = planScan(definition(c.vary, false), Leniency::lenient);
        ASSERT_EQ(plan.configurations, c.partner.size());
        for (std::size_t k = 0; k < plan.configurations; ++k) {
            const RowPairing pairing = rowPairing(plan, k, ScanMode::simulation);
            EXPECT_TRUE(pairing.oerColumns);
            EXPECT_FALSE(pairing.rbeColumns);
            EXPECT_EQ(pairing.oxygenPartner, c.partner[k]) << k;
            EXPECT_EQ(pairing.highOxygen, c.high[k]) << k;
            EXPECT_FALSE(rowPairing(plan, k, ScanMode::physicsOnly).oerColumns);
        }
    }
}

TEST(ScanPairingTest, eachRowDividesByTheReferenceRunOfItsOwnNonRadiationItems)
{
    const ScanPlan plan =
        planScan(definition({axis("PAR", {"4He", "12C"}), axis("PO2", {"21", "0.5"})}, true), Leniency::lenient);
    ASSERT_EQ(plan.references.size(), 2U);
    const std::size_t expected[] = {0, 1, 0, 1};
    for (std::size_t k = 0; k < plan.configurations; ++k) {
        const RowPairing pairing = rowPairing(plan, k, ScanMode::simulation);
        EXPECT_TRUE(pairing.rbeColumns);
        EXPECT_EQ(pairing.reference, expected[k]);
    }
    EXPECT_EQ(tableColumns(plan.scan, ScanMode::simulation).back(), "oer_dsb_sem");
    EXPECT_EQ(pairedFieldCount(plan.scan, ScanMode::simulation), 4U);
    EXPECT_EQ(pairedFieldCount(plan.scan, ScanMode::physicsOnly), 0U);
}

TEST(ScanPairingTest, aRatioIsEmptyNeverNanWhereItsDenominatorIsZeroOrMissing)
{
    const YieldEstimate zero{0.0, 0.1};
    const YieldEstimate some{2.0, 0.2};
    EXPECT_EQ(ratioFields(yieldRatio(some, zero)), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ratioFields(yieldRatio(std::nullopt, some)), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(ratioFields(yieldRatio(some, YieldEstimate{4.0, std::nullopt})), (std::vector<std::string>{"0.5", ""}));
    // A zero numerator has a ratio of 0 and the SEM its own SEM gives.
    const std::optional<YieldRatio> fromZero = yieldRatio(zero, some);
    ASSERT_TRUE(fromZero);
    EXPECT_EQ(fromZero->value, 0.0);
    EXPECT_DOUBLE_EQ(*fromZero->sem, 0.1 / 2.0);
}

TEST(ScanPairingTest, theAbsoluteSemAgreesWithTheRelativeFormWhereThatIsDefined)
{
    for (const double a : {0.3, 1.0, 7.5}) {
        for (const double b : {0.2, 2.0, 40.0}) {
            const double sa = 0.07 * a;
            const double sb = 0.11 * b;
            const std::optional<YieldRatio> r = yieldRatio(YieldEstimate{a, sa}, YieldEstimate{b, sb});
            ASSERT_TRUE(r);
            const double relative = (a / b) * std::sqrt((sa / a) * (sa / a) + (sb / b) * (sb / b));
            EXPECT_NEAR(*r->sem, relative, 1e-12 * relative) << a << "/" << b;
        }
    }
}

TEST(ScanPairingTest, pairedFieldsPutTheHighLevelOverTheLowWhicheverRowAsks)
{
    const ScanPlan plan = planScan(definition({axis("PO2", {"0.5", "21"})}, false), Leniency::lenient);
    const PendingRow low{"", 2.0, 0.2, {}};
    const PendingRow high{"", 6.0, 0.3, {}};
    const RowPairing lowPairing = rowPairing(plan, 0, ScanMode::simulation);
    const RowPairing highPairing = rowPairing(plan, 1, ScanMode::simulation);
    const std::vector<std::string> fromLow = pairedFields(plan.scan, lowPairing, low, PairedRuns{nullptr, &high});
    EXPECT_EQ(fromLow, pairedFields(plan.scan, highPairing, high, PairedRuns{nullptr, &low}));
    EXPECT_EQ(fromLow.at(0), "3");
    EXPECT_EQ(pairedFields(plan.scan, lowPairing, low, PairedRuns{}), (std::vector<std::string>{"", ""}));
}

}  // namespace
