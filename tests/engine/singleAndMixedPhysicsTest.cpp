// A particle's physics is the same whether it is run alone or as a
// component of a mixed field: the two paths work it out with the same
// functions, down to the last bit, the electron's energy per u and the
// nuclear stopping power among them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kesp/engine/engine.h"

namespace kesp {
namespace {

RunResults runOf(RadiationField field)
{
    RunSettings settings;
    settings.field = std::move(field);
    settings.cells = 1;
    settings.seed = 777;
    settings.threads = 1;
    NoProgress quiet;
    return simulate(settings, quiet);
}

struct Particle {
    std::string name;
    double kineticEnergyMeV;
};

// The electron (collisional and radiative stopping, no nucleons) and ions
// from the lightest to iron (electronic and nuclear stopping).
const std::vector<Particle> particles{
    {"e", 1.0}, {"e", 0.05}, {"p", 10.0}, {"4He", 40.0}, {"12C", 120.0}, {"56Fe", 5600.0}};

TEST(SingleAndMixedPhysicsTest, aComponentHasThePhysicsOfItsParticleRunAlone)
{
    for (const Particle& particle : particles) {
        SCOPED_TRACE(particle.name + " at " + std::to_string(particle.kineticEnergyMeV) + " MeV");
        const ParticleQuantities alone =
            runOf(singleParticleField(particle.name, particle.kineticEnergyMeV)).particleQuantities();
        // The same particle twice: a mixed field of one particle type, whose
        // average row is that particle too (w x + w x with w = 1/2 is exact).
        const RunResults mixed = runOf(mixedField(
            {{particle.name, particle.kineticEnergyMeV, 1.0}, {particle.name, particle.kineticEnergyMeV, 1.0}}));
        ASSERT_FALSE(mixed.singleParticle);
        const std::vector<ComponentResult> components = mixed.componentResults();
        ASSERT_EQ(components.size(), 2u);
        EXPECT_EQ(components[0].physics, alone);
        EXPECT_EQ(components[1].physics, alone);
        EXPECT_EQ(mixed.fieldAverageResult().physics, alone);
        // Beside a particle of another type, too.
        const RunResults beside =
            runOf(mixedField({{"4He", 20.0, 1.0}, {particle.name, particle.kineticEnergyMeV, 1.0}}));
        EXPECT_EQ(beside.componentResults().at(1).physics, alone);
    }
}

TEST(SingleAndMixedPhysicsTest, energyPerNucleonAndStoppingSharesFollowTheParticle)
{
    const RunResults mixed = runOf(mixedField({{"e", 1.0, 1.0}, {"12C", 120.0, 1.0}}));
    const std::vector<ComponentResult> c = mixed.componentResults();
    ASSERT_EQ(c.size(), 2u);
    // 1 MeV over the electron's mass of 5.48580E-04 u, as the single
    // report's line "1.82289E+03 MeV/u" has it.
    EXPECT_NEAR(c[0].physics.kineticEnergyPerNucleonMeV, 1822.89, 0.01);
    EXPECT_DOUBLE_EQ(c[1].physics.kineticEnergyPerNucleonMeV, 10.0);
    // The electron loses energy by collisions and radiation, an ion by
    // electronic and nuclear collisions; the parts add up to the LET.
    EXPECT_EQ(c[0].physics.nuclearStoppingKeVPerUm, 0.0);
    EXPECT_GT(c[0].physics.radiativeStoppingKeVPerUm, 0.0);
    EXPECT_EQ(c[1].physics.radiativeStoppingKeVPerUm, 0.0);
    EXPECT_GT(c[1].physics.nuclearStoppingKeVPerUm, 0.0);
    for (const ComponentResult& component : c) {
        const ParticleQuantities& q = component.physics;
        EXPECT_DOUBLE_EQ(q.electronicStoppingKeVPerUm + q.nuclearStoppingKeVPerUm + q.radiativeStoppingKeVPerUm,
                         q.letKeVPerUm)
            << component.particle;
    }
}

}  // namespace
}  // namespace kesp
