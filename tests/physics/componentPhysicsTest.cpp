// The physics of a mixed field's components worked out on several threads
// against the plain one-by-one sequence: every component's entry and range
// table must be the same, bit for bit.

#include "kesp/physics/componentPhysics.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "kesp/physics/microdosimetry.h"
#include "kesp/physics/particleSetup.h"
#include "kesp/physics/rangeTable.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {
namespace {

constexpr double nucleusDiameter = 5.0;  // um

struct Component {
    const char* name;
    double kineticEnergy;
};

// The component as a run describes it before working out its physics.
ParticleKind componentKind(const Component& component)
{
    return kindOf(describeParticle(makeField(component.name, 5),
                                   component.kineticEnergy, defaultMassConstants)
                      .particle);
}

std::vector<ParticleKind> kindsOf(const std::vector<Component>& components)
{
    std::vector<ParticleKind> kinds;
    for (const Component& component : components) {
        kinds.push_back(componentKind(component));
    }
    return kinds;
}

struct Expected {
    ComponentPhysics physics;
    RangeTable table;
};

// The sequence written out one component after the other, every table
// integrated afresh.
std::vector<Expected> oneByOne(const std::vector<ParticleKind>& kinds)
{
    std::vector<Expected> expected;
    for (const ParticleKind& kind : kinds) {
        const RangeTable table = computeRangeTable(kind);
        const StoppingAndMicrodosimetry s = stoppingAndMicrodosimetry(kind, table, nucleusDiameter);
        expected.push_back(Expected{ComponentPhysics{s.sElectronic, s.sRadiative, s.sNuclear, s.sTotal, s.dpuf, s.yf,
                                                     s.zf, csdaRange(kind, kind.T)},
                                    table});
    }
    return expected;
}

void expectSame(const std::vector<WorkedComponent>& worked, const std::vector<Expected>& expected,
                const std::string& what)
{
    ASSERT_EQ(worked.size(), expected.size()) << what;
    for (std::size_t i = 0; i < worked.size(); ++i) {
        SCOPED_TRACE(what + ", component " + std::to_string(i + 1));
        EXPECT_FALSE(worked[i].error);
        const ComponentPhysics& x = worked[i].physics;
        const ComponentPhysics& y = expected[i].physics;
        EXPECT_EQ(x.sElectronic, y.sElectronic);
        EXPECT_EQ(x.sRadiative, y.sRadiative);
        EXPECT_EQ(x.sNuclear, y.sNuclear);
        EXPECT_EQ(x.sTotal, y.sTotal);
        EXPECT_EQ(x.dpuf, y.dpuf);
        EXPECT_EQ(x.yf, y.yf);
        EXPECT_EQ(x.zf, y.zf);
        EXPECT_EQ(x.rangeCsda, y.rangeCsda);
        ASSERT_NE(worked[i].table, nullptr);
        EXPECT_EQ(worked[i].table->energyGrid, expected[i].table.energyGrid);
        EXPECT_EQ(worked[i].table->rangeGrid, expected[i].table.rangeGrid);
    }
}

TEST(ComponentPhysicsTest, parallelPhysicsMatchesOneByOne)
{
    // Electrons, protons and ions, a repeated component (one shared table),
    // and an electron whose energy gives it no speed: its description keeps
    // only its identity (T = 0), and its entry is worked out from that in
    // the same way on every thread.
    const std::vector<std::vector<Component>> fields = {
        {{"p", 10.0}, {"e", 1.0}, {"4He", 8.0}, {"p", 10.0}, {"e", 1e-20}, {"56Fe", 600.0}},
        {{"e", 1e-20}, {"16O", 32.0}},
    };
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::vector<ParticleKind> kinds = kindsOf(fields[f]);
        const std::vector<Expected> expected = oneByOne(kinds);
        for (const unsigned threads : {0U, 1U, 3U}) {
            RangeTableCache tables;  // a new run
            const std::vector<WorkedComponent> worked =
                workOutComponents(kinds, nucleusDiameter, tables, threads);
            expectSame(worked, expected,
                       "field " + std::to_string(f) + ", threads " + std::to_string(threads));
            if (f == 0 && worked.size() == kinds.size()) {
                EXPECT_EQ(worked[0].table, worked[3].table) << "threads " << threads;
            }
        }
    }
}

TEST(ComponentPhysicsTest, errorInOneComponentIsKeptInItsEntry)
{
    // An infinite energy, which no particle set-up gives, leaves the range
    // integrals without convergence.
    std::vector<ParticleKind> kinds = kindsOf({{"p", 10.0}, {"4He", 8.0}, {"16O", 32.0}});
    ParticleKind broken = kinds[1];
    broken.T = std::numeric_limits<double>::infinity();
    kinds[1] = broken;
    const std::vector<Expected> expected = oneByOne({kinds[0], kinds[2]});
    for (const unsigned threads : {0U, 1U, 3U}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        RangeTableCache tables;
        const std::vector<WorkedComponent> worked =
            workOutComponents(kinds, nucleusDiameter, tables, threads);
        ASSERT_EQ(worked.size(), 3U);
        ASSERT_TRUE(worked[1].error);
        try {
            std::rethrow_exception(worked[1].error);
        } catch (const RunError& error) {
            EXPECT_PRED_FORMAT2(::testing::IsSubstring, "the integration did not converge", error.what());
        } catch (...) {
            ADD_FAILURE() << "the error kept is not a RunError";
        }
        // The components on either side are worked out all the same.
        expectSame({worked[0], worked[2]}, expected, "around the broken component");
    }
}

TEST(ComponentPhysicsTest, cachedTableIsTheComputedOne)
{
    const ParticleKind helium = componentKind({"4He", 20.0});
    const RangeTable computed = computeRangeTable(helium);
    RangeTableCache tables;
    const std::shared_ptr<const RangeTable> built = tables.tableFor(helium);  // computes and keeps
    const std::shared_ptr<const RangeTable> kept = tables.tableFor(helium);   // the kept table
    EXPECT_EQ(built, kept);
    EXPECT_EQ(kept->rangeGrid, computed.rangeGrid);
    EXPECT_EQ(kept->energyGrid, computed.energyGrid);
    // Another energy of the same particle has a table of its own.
    const ParticleKind slower = componentKind({"4He", 8.0});
    EXPECT_EQ(*tables.tableFor(slower), computeRangeTable(slower));
}

TEST(ComponentPhysicsTest, aStopLeavesTheComponentsNotBegunUndone)
{
    const std::vector<ParticleKind> kinds = kindsOf({{"p", 10.0}, {"4He", 8.0}, {"16O", 32.0}});
    const StopFlag stopped{true};
    for (const unsigned threads : {1U, 3U}) {
        RangeTableCache tables;
        const std::vector<WorkedComponent> worked =
            workOutComponents(kinds, nucleusDiameter, tables, threads, stopped);
        ASSERT_EQ(worked.size(), kinds.size());
        for (const WorkedComponent& component : worked) {
            EXPECT_FALSE(component.workedOut) << "threads " << threads;
            EXPECT_EQ(component.table, nullptr);
        }
    }
    RangeTableCache tables;
    for (const WorkedComponent& component : workOutComponents(kinds, nucleusDiameter, tables, 2)) {
        EXPECT_TRUE(component.workedOut);
    }
}

}  // namespace
}  // namespace kesp
