#include "kesp/input/plausibleRanges.h"

#include <gtest/gtest.h>

#include <string>

#include "kesp/input/radiationField.h"
#include "kesp/support/text.h"

namespace kesp {
namespace {

struct SlipCase {
    const char* written;
    double value;
    const PlausibleRange* range;
    const char* ending;  // how the warning ends
};

// The slip named is the unit that brings the value nearest a typical cell,
// and none is named when no unit brings it into the range. (The commonest
// slips and the ends of the ranges are run end to end in DiagnosticsTest.)
TEST(PlausibleRangesTest, theLikeliestUnitSlipIsNamed)
{
    const SlipCase cases[] = {
        {"DNA=6e6", 6e6, &dnaContentRange, "if 6e6 is in kbp, write DNA=6"},
        {"DNA=1e15", 1e15, &dnaContentRange, "DNA= is in Gbp"},
        {"DNA=1e-4", 1e-4, &dnaContentRange, "DNA= is in Gbp"},
        {"NDIA=0.005", 0.005, &nucleusDiameterRange, "if 0.005 is in mm, write NDIA=5"},
        {"NDIA=5e-4", 5e-4, &nucleusDiameterRange, "if 5e-4 is in cm, write NDIA=5"},
    };
    for (const SlipCase& c : cases) {
        const std::string keyword = std::string(c.written).substr(0, std::string(c.written).find('=') + 1);
        const std::optional<std::string> why = outsideRange(c.written, keyword, c.value, *c.range);
        ASSERT_TRUE(why) << c.written;
        EXPECT_TRUE(why->ends_with(c.ending)) << *why;
    }
}

struct EnergyCase {
    const char* name;
    double kineticEnergy;
    const char* ending;  // empty: no warning
};

// The limits are per nucleon for ions and per particle for electrons; the
// value meant in keV is offered only when it lies within the range itself.
TEST(PlausibleRangesTest, energiesAboveTheModelAreNamedPerNucleon)
{
    const EnergyCase cases[] = {
        {"p", 1000.5, "if 1000.5 is in keV, write KE=1.0005"},
        {"56Fe", 56001.0, "if 56001 is in keV, write KE=56.001"},
        {"e", 501.0, "if 501 is in keV, write KE=0.501"},
        {"p", 5e6, "KE= is in MeV"},
        {"carbon", 1e9, ""},
        {"p", -5e6, ""},
    };
    for (const EnergyCase& c : cases) {
        const std::optional<std::string> why = energyAboveRange(makeField(c.name, particleNameLength),
                                                                c.kineticEnergy, "KE=", c.kineticEnergy,
                                                                defaultMassConstants);
        if (std::string(c.ending).empty()) {
            EXPECT_FALSE(why) << c.name << " " << c.kineticEnergy << ": " << why.value_or("");
        } else {
            ASSERT_TRUE(why) << c.name << " " << c.kineticEnergy;
            EXPECT_TRUE(why->ends_with(c.ending)) << *why;
        }
    }
}

}  // namespace
}  // namespace kesp
