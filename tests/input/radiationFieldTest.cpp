#include "kesp/input/radiationField.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "kesp/support/runError.h"

namespace kesp {
namespace {

// The message of the RunError that `build` throws; empty when it throws none.
template <typename Build>
std::string refusal(Build build)
{
    try {
        static_cast<void>(build());
    } catch (const RunError& error) {
        return error.what();
    }
    return "";
}

TEST(RadiationFieldTest, fieldsThatBreakTheInvariantsCannotBeBuilt)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double tiny = std::numeric_limits<double>::denorm_min();
    struct Case {
        const char* what;
        std::vector<ComponentEntry> components;
        std::string message;  // a part of it
    };
    const std::vector<ComponentEntry> tooMany(maxFieldComponents + 1, ComponentEntry{"p", 10.0, 1.0});
    const Case cases[] = {
        {"no components", {}, "has 0 components; give 1 to 10000"},
        {"10001 components", tooMany, "has 10001 components; give 1 to 10000"},
        {"a NaN weight", {{"p", 10.0, 1.0}, {"e", 1.0, nan}}, "Component 2 of the radiation field has the weight"},
        {"a negative weight", {{"p", 10.0, -0.5}, {"e", 1.0, 1.0}}, "Component 1 of the radiation field has the weight"},
        {"an infinite weight", {{"p", 10.0, inf}}, "weights must be finite and >= 0"},
        {"all weights 0", {{"p", 10.0, 0.0}, {"e", 1.0, 0.0}}, "add up to 0.00000E+00"},
        {"weights whose sum overflows", {{"p", 10.0, 1e308}, {"e", 1.0, 1e308}}, "positive finite number"},
        {"weights too small to normalise", {{"p", 10.0, tiny}, {"e", 1.0, 0.0}}, "too small to be normalised"},
        {"a name too long", {{"p", 10.0, 1.0}, {"56Ferrum", 5600.0, 1.0}}, "\"56Ferrum\" is longer than 5"},
    };
    for (const Case& c : cases) {
        const std::string message = refusal([&] { return RadiationField(c.components); });
        EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": \"" << message << "\"";
    }
    EXPECT_NE(refusal([] { return singleParticleField("12Carbon", 120.0); }).find("longer than 5"),
              std::string::npos);
    EXPECT_NE(refusal([] { return RadiationField().withParticle(1, "123456", 1.0); }).find("longer than 5"),
              std::string::npos);
}

TEST(RadiationFieldTest, weightsAreNormalisedAndAccumulatedInOrder)
{
    const RadiationField field({{"p", 10.0, 2.0}, {"4He", 40.0, 2.0}, {"12C", 120.0, 4.0}, {"e", 1.0, 0.0}});
    ASSERT_EQ(field.componentCount(), 4);
    EXPECT_FALSE(field.singleParticle());
    const double weights[] = {0.25, 0.25, 0.5, 0.0};
    const double cumulative[] = {0.25, 0.5, 1.0, 1.0};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(field.component(i).weight, weights[i - 1]) << i;
        EXPECT_EQ(field.component(i).cumulativeWeight, cumulative[i - 1]) << i;
    }
    // Weights that do not divide exactly still add up to 1 within rounding,
    // and the cumulative weights never fall.
    const RadiationField thirds({{"p", 10.0, 1.0}, {"e", 1.0, 1.0}, {"4He", 40.0, 1.0}});
    double previous = 0.0;
    for (const FieldComponent& component : thirds.components()) {
        EXPECT_GE(component.cumulativeWeight, previous);
        previous = component.cumulativeWeight;
    }
    EXPECT_NEAR(previous, 1.0, 1e-15);
    // Scaling all weights changes nothing.
    EXPECT_EQ(RadiationField({{"p", 10.0, 3.0}, {"e", 1.0, 1.0}}),
              RadiationField({{"p", 10.0, 0.75}, {"e", 1.0, 0.25}}));
}

TEST(RadiationFieldTest, namesStayAsGivenAndThePhysicsGetsThemFiveWide)
{
    const RadiationField single = singleParticleField("12C", 120.0);
    EXPECT_TRUE(single.singleParticle());
    EXPECT_EQ(single.component(1).name, "12C");
    EXPECT_EQ(single.component(1).nameField(), "12C  ");
    EXPECT_EQ(single.component(1).weight, 1.0);
    EXPECT_EQ(single.component(1).cumulativeWeight, 1.0);
    EXPECT_TRUE(single.fileName().empty());
    // Without anything given: a 1 MeV electron.
    EXPECT_EQ(RadiationField().component(1).name, "e");
    EXPECT_EQ(RadiationField().component(1).kineticEnergy, 1.0);
    EXPECT_EQ(RadiationField(), singleParticleField("e", 1.0));
}

TEST(RadiationFieldTest, replacingAParticleKeepsTheWeights)
{
    const RadiationField field({{"p", 10.0, 1.0}, {"e", 1.0, 2.0}, {"4He", 40.0, 3.0}}, "f.txt");
    const RadiationField replaced = field.withParticle(1, "e", 1.0);
    EXPECT_EQ(replaced.component(1).name, "e");
    EXPECT_EQ(replaced.component(1).kineticEnergy, 1.0);
    EXPECT_EQ(replaced.fileName(), "f.txt");
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(replaced.component(i).weight, field.component(i).weight);
        EXPECT_EQ(replaced.component(i).cumulativeWeight, field.component(i).cumulativeWeight);
    }
    EXPECT_EQ(replaced.component(3), field.component(3));
}

}  // namespace
}  // namespace kesp
