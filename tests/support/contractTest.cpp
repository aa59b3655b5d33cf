// The checks of callers' preconditions: where they are on (Debug and
// sanitizer builds), a call outside its contract stops the process with
// the condition and the place; where they are off, nothing is evaluated.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/engine/fieldAverage.h"
#include "kesp/report/scanPlan.h"
#include "kesp/support/contract.h"

namespace kesp {
namespace {

RunResults runOf(RadiationField field)
{
    RunSettings settings;
    settings.field = std::move(field);
    settings.cells = 2;
    settings.seed = 99;
    settings.threads = 1;
    NoProgress quiet;
    return simulate(settings, quiet);
}

struct Violation {
    std::string call;
    std::function<void()> make;
    std::string where;  // the source file that checks it
};

TEST(ContractDeathTest, callsOutsideThePublicContractsStopWithThePlace)
{
    if (!contractChecksActive) {
        GTEST_SKIP() << "contract checks are on in Debug and sanitizer builds only";
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const RadiationField field = mixedField({{"p", 10.0, 1.0}, {"4He", 40.0, 1.0}});
    const RunResults single = runOf(singleParticleField("p", 10.0));
    const RunResults mixed = runOf(field);
    const ScanPlan noReferences;
    const std::vector<Violation> violations{
        {"component(0)", [&] { static_cast<void>(field.component(0)); }, "radiationField.cpp"},
        {"component(count + 1)", [&] { static_cast<void>(field.component(3)); }, "radiationField.cpp"},
        {"component(-1)", [&] { static_cast<void>(field.component(-1)); }, "radiationField.cpp"},
        {"withParticle(3)", [&] { static_cast<void>(field.withParticle(3, "p", 1.0)); }, "radiationField.cpp"},
        {"particleQuantities of a mixed field", [&] { static_cast<void>(mixed.particleQuantities()); },
         "runResults.cpp"},
        {"fieldAverageResult of a single particle", [&] { static_cast<void>(single.fieldAverageResult()); },
         "runResults.cpp"},
        {"fieldAverage of no rows", [] { static_cast<void>(fieldAverage({})); }, "fieldAverage.cpp"},
        {"clusters of no category", [&] { static_cast<void>(single.clusters(static_cast<ClusterCategory>(5))); },
         "namedResults.cpp"},
        {"entry of no table",
         [&] {
             static_cast<void>(single.entry(static_cast<ClusterTable>(1), ClusterRow::all(), ClusterCategory::dsb));
         },
         "namedResults.cpp"},
        {"entry of no category",
         [&] {
             const auto none = static_cast<ClusterCategory>(0);
             static_cast<void>(single.entry(ClusterTable::lengthBp, ClusterRow::all(), none));
         },
         "namedResults.cpp"},
        {"percent of no class", [&] { static_cast<void>(single.percent(static_cast<ComplexityClass>(12))); },
         "namedResults.cpp"},
        {"referenceRun of a plan without references", [&] { static_cast<void>(noReferences.referenceRun(0)); },
         "scanPlan.cpp"},
    };
    for (const Violation& v : violations) {
        SCOPED_TRACE(v.call);
        EXPECT_DEATH(v.make(), v.where + ":[0-9]+: precondition failed: ");
    }
}

// The same calls within their contracts give what they name.
TEST(ContractTest, callsWithinTheContractsAnswer)
{
    const RadiationField field = mixedField({{"p", 10.0, 1.0}, {"4He", 40.0, 3.0}});
    EXPECT_EQ(field.component(1).name, "p");
    EXPECT_EQ(field.component(field.componentCount()).name, "4He");
    EXPECT_EQ(field.withParticle(2, "12C", 120.0).component(2).name, "12C");
    const RunResults single = runOf(singleParticleField("p", 10.0));
    EXPECT_GT(single.particleQuantities().letKeVPerUm, 0.0);
    EXPECT_GE(single.percent(ComplexityClass::dsbComplexWithBaseDamage), 0.0);
    EXPECT_TRUE(single.entry(ClusterTable::clustersPerCellPerGyPerTrack, ClusterRow::all(), ClusterCategory::all));
    const RunResults mixed = runOf(field);
    EXPECT_EQ(mixed.fieldAverageResult().particle, "Avg");
}

// Off, a check does not even evaluate its condition.
TEST(ContractTest, aCheckThatIsOffEvaluatesNothing)
{
    int evaluated = 0;
    KESP_EXPECTS(++evaluated > 0, "counted");
    EXPECT_EQ(evaluated, contractChecksActive ? 1 : 0);
}

}  // namespace
}  // namespace kesp
