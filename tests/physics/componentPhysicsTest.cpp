// The mixed-field physics worked out on several threads against the plain
// one-by-one sequence: every component's entry and the range table and
// effective charge left in ParticleState must be the same, bit for bit.

#include "report/componentPhysics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "damage/damageYields.h"
#include "input/radiationField.h"
#include "input/runConfig.h"
#include "physics/microdosimetry.h"
#include "physics/particleSetup.h"
#include "physics/particleState.h"
#include "physics/rangeTable.h"
#include "support/text.h"

namespace kesp {
namespace {

struct Component {
    const char* name;
    double kineticEnergy;
};

struct Outcome {
    std::vector<ComponentPhysics> entries;
    RangeTable table;
    double zeff = 0.0;
};

class ComponentPhysicsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        discardPrecomputedPhysics();
        componentPhysics() = ComponentPhysicsTable{};
        resetRadiationField();
        resetParticleState();
        resetDamageYields();
        resetRunConfig();
    }

    static void setField(const std::vector<Component>& components)
    {
        RadiationField& field = radiationField();
        field.componentCount = static_cast<std::int32_t>(components.size());
        for (std::size_t i = 0; i < components.size(); ++i) {
            field.components[i + 1].name = makeField(components[i].name, particleNameLength);
            field.components[i + 1].kineticEnergy = components[i].kineticEnergy;
            field.components[i + 1].weight = 1.0 / static_cast<double>(components.size());
        }
        field.singleParticle = false;
        field.physicsPending = true;
        componentPhysics() = ComponentPhysicsTable{};
        clearRangeTableCache();
        discardPrecomputedPhysics();
        setParticle("p", 5.0);  // the particle before the field, the same every time
    }

    static Outcome outcome(std::size_t count)
    {
        Outcome result;
        for (std::size_t k = 1; k <= count; ++k) {
            result.entries.push_back(componentPhysics()[k]);
        }
        result.table.energyGrid = particleState().energyGrid;
        result.table.rangeGrid = particleState().rangeGrid;
        result.zeff = particleState().zeff;
        return result;
    }

    // The sequence written out one component after the other on the
    // particle in ParticleState, every table integrated afresh.
    static Outcome oneByOne(const std::vector<Component>& components)
    {
        setField(components);
        for (std::size_t k = 1; k <= components.size(); ++k) {
            const FieldComponent& c = radiationField().components[k];
            setParticle(c.name, c.kineticEnergy);
            const ParticleState& p = particleState();
            installRangeTable(computeRangeTable(currentParticleKind()));
            const StoppingAndMicrodosimetry s =
                stoppingAndMicrodosimetry(p.Z, p.restEnergy, p.T, runConfig().ndia);
            componentPhysics()[k] = ComponentPhysics{s.sElectronic, s.sRadiative, s.sTotal,
                                                     s.dpuf, s.yf, s.zf,
                                                     csdaRange(c.kineticEnergy)};
        }
        return outcome(components.size());
    }

    // As the tables and the driver ask for it.
    static Outcome asked(const std::vector<Component>& components, unsigned threads)
    {
        setField(components);
        if (threads > 0) {
            precomputeComponentPhysics(1, threads);
        }
        for (std::size_t k = 1; k <= components.size(); ++k) {
            const FieldComponent& c = radiationField().components[k];
            setParticle(c.name, c.kineticEnergy);
            computePendingComponentPhysics(static_cast<int>(k));
        }
        EXPECT_FALSE(radiationField().physicsPending);
        return outcome(components.size());
    }
};

void expectSame(const Outcome& a, const Outcome& b, const std::string& what)
{
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const ComponentPhysics& x = a.entries[i];
        const ComponentPhysics& y = b.entries[i];
        SCOPED_TRACE(what + ", component " + std::to_string(i + 1));
        EXPECT_EQ(x.sElectronic, y.sElectronic);
        EXPECT_EQ(x.sRadiative, y.sRadiative);
        EXPECT_EQ(x.sTotal, y.sTotal);
        EXPECT_EQ(x.dpuf, y.dpuf);
        EXPECT_EQ(x.yf, y.yf);
        EXPECT_EQ(x.zf, y.zf);
        EXPECT_EQ(x.rangeCsda, y.rangeCsda);
    }
    EXPECT_EQ(a.table.energyGrid, b.table.energyGrid) << what;
    EXPECT_EQ(a.table.rangeGrid, b.table.rangeGrid) << what;
    EXPECT_EQ(a.zeff, b.zeff) << what;
}

TEST_F(ComponentPhysicsTest, parallelPhysicsMatchesOneByOne)
{
    // Electrons, protons and ions, a repeated component (one shared table),
    // and an electron whose energy gives it no speed: its set-up fails, so
    // its table is built from the electron's identity and the previous
    // component's energy, as the one-by-one sequence does.
    const std::vector<std::vector<Component>> fields = {
        {{"p", 10.0}, {"e", 1.0}, {"4He", 8.0}, {"p", 10.0}, {"e", 1e-20}, {"56Fe", 600.0}},
        {{"e", 1e-20}, {"16O", 32.0}},
    };
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const Outcome expected = oneByOne(fields[f]);
        for (const unsigned threads : {0U, 1U, 3U}) {
            expectSame(asked(fields[f], threads), expected,
                       "field " + std::to_string(f) + ", threads " + std::to_string(threads));
        }
    }
}

TEST_F(ComponentPhysicsTest, cachedTableIsTheComputedOne)
{
    setParticle("4He", 20.0);
    clearRangeTableCache();
    const BuiltRangeTable computed = computeRangeTable(currentParticleKind());
    particleState().zeff = 0.0;
    buildRangeTable();  // computes and keeps
    buildRangeTable();  // from the kept table
    EXPECT_EQ(particleState().rangeGrid, computed.table.rangeGrid);
    EXPECT_EQ(particleState().energyGrid, computed.table.energyGrid);
    EXPECT_TRUE(computed.last.written);
    EXPECT_EQ(particleState().zeff, computed.last.zeff);
}

}  // namespace
}  // namespace kesp
