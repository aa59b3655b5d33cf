#include "kesp/physics/particleIdentification.h"

#include <gtest/gtest.h>

#include <string>

#include "kesp/support/text.h"

namespace kesp {
namespace {

// Callers pass the name as a 5-character field.
ParticleIdentity identify(std::string_view name, const MassConstants& masses = defaultMassConstants)
{
    return identifyParticle(makeField(name, 5), masses);
}

TEST(ParticleIdentificationTest, constantSetsEqualTheirPublishedValues)
{
    // The derived constants are written as formulas; these are their printed values.
    EXPECT_EQ(defaultMassConstants.uEnergyMeV, 931.494);
    EXPECT_EQ(defaultMassConstants.electronRestEnergyMeV, 0.510999);
    EXPECT_EQ(defaultMassConstants.electronMassU, 0.0005485800230597298);
    EXPECT_EQ(defaultMassConstants.protonMassU, 1.0072764966816747);
    EXPECT_EQ(defaultMassConstants.protonRestEnergyMeV, 938.272013);

    EXPECT_EQ(massConstants2006.uEnergyMeV, 931.0);
    EXPECT_EQ(massConstants2006.electronRestEnergyMeV, 0.511);
    EXPECT_EQ(massConstants2006.electronMassU, 0.0005485810966039502);
    EXPECT_EQ(massConstants2006.protonMassU, 1.0078250321);
    EXPECT_EQ(massConstants2006.protonRestEnergyMeV, 938.2851048850999);

    EXPECT_EQ(&massConstantsFor(false), &defaultMassConstants);
    EXPECT_EQ(&massConstantsFor(true), &massConstants2006);
}

TEST(ParticleIdentificationTest, ionNamesGiveTheTableNuclide)
{
    const struct {
        std::string_view name;
        std::string symbol;
        std::int32_t Z;
        std::int32_t A;
        double massU;  // the table's neutral-atom mass
    } cases[] = {
        {"20Ne", "Ne", 10, 20, 19.9924401759},
        {"20ne", "Ne", 10, 20, 19.9924401759},
        {"20 NE", "Ne", 10, 20, 19.9924401759},  // blanks are squeezed out
        {"20-Ne", "Ne", 10, 20, 19.9924401759},  // letters are found behind other characters
        {"20Neon", "Ne", 10, 20, 19.9924401759}, // cut to "20Neo"; letters after two ignored
        {" 12 C", "C ", 6, 12, 12.0},
        {"132Xe", "Xe", 54, 132, 131.9041545},   // letter run ends in the last column
        {"2H", "H ", 1, 2, 2.014101778},
        {"4He", "He", 2, 4, 4.0026032497},
        {"1He", "He", 2, 1, 3.0160293097},      // below the table: lightest isotope, A kept
        {"56fe", "Fe", 26, 56, 55.9349421},
        {"153Ba", "Ba", 56, 153, 152.95961},
    };
    for (const auto& c : cases) {
        const ParticleIdentity identity = identify(c.name);
        EXPECT_EQ(identity.status, 0) << c.name;
        EXPECT_EQ(identity.symbol, c.symbol) << c.name;
        EXPECT_EQ(identity.Z, c.Z) << c.name;
        EXPECT_EQ(identity.A, c.A) << c.name;
        EXPECT_EQ(identity.massU, c.massU) << c.name;
        // Atomic mass less the rest energy of the Z electrons.
        EXPECT_EQ(identity.restEnergy, c.massU * 931.494 - c.Z * 0.510999) << c.name;
    }
    // Hand-evaluated: 19.9924401759 x 931.494 - 10 x 0.510999 = 18617.72808...
    EXPECT_NEAR(identify("20Ne").restEnergy, 18617.72808, 1e-5);
}

TEST(ParticleIdentificationTest, namesWithoutDigitsCountByTheirFirstLetter)
{
    for (const std::string_view name : {"p", "P", "proton", "positron", "pion", "1H", "1 h"}) {
        const ParticleIdentity identity = identify(name);
        EXPECT_EQ(identity.status, 0) << name;
        EXPECT_EQ(identity.Z, 1) << name;
        EXPECT_EQ(identity.A, 1) << name;
        // The bare proton, not the hydrogen atom of the table.
        EXPECT_EQ(identity.massU, 1.0072764966816747) << name;
        EXPECT_EQ(identity.restEnergy, 938.272013) << name;
    }
    EXPECT_EQ(identify("p").symbol, "p ");
    EXPECT_EQ(identify("1H").symbol, "H ");

    for (const std::string_view name : {"e", "E", "e-", "electron", " e"}) {
        const ParticleIdentity identity = identify(name);
        EXPECT_EQ(identity.status, 0) << name;
        EXPECT_EQ(identity.symbol, "e ") << name;
        EXPECT_EQ(identity.Z, -1) << name;
        EXPECT_EQ(identity.A, 0) << name;
        EXPECT_EQ(identity.massU, 0.510999 / 931.494) << name;
        EXPECT_EQ(identity.restEnergy, 0.510999) << name;
    }
}

TEST(ParticleIdentificationTest, rejectedNamesReportWhatFailed)
{
    const struct {
        std::string_view name;
        std::int32_t status;
        std::int32_t Z;  // as far as set before the failure
        std::int32_t A;
    } cases[] = {
        {"Ne", -1, 0, 0},      // no digits and not e or p
        {"", -1, 0, 0},
        {"238U", -1, 92, 238}, // uranium has no table entries
        {"1Mt", -1, 109, 1},   // the last symbol is known, but has no nuclides
        {"154Ba", -1, 56, 154},// above the heaviest tabulated isotope
        {"0He", -2, 2, 0},
        {"Ne20", -3, 0, 20},   // letters before the digits are never seen
        {"20", -3, 0, 20},
        {"20Xx", -4, 0, 20},
        {"20 X", -4, 0, 20},
    };
    for (const auto& c : cases) {
        const ParticleIdentity identity = identify(c.name);
        EXPECT_EQ(identity.status, c.status) << c.name;
        EXPECT_EQ(identity.Z, c.Z) << c.name;
        EXPECT_EQ(identity.A, c.A) << c.name;
        EXPECT_EQ(identity.massU, 0.0) << c.name;
        EXPECT_EQ(identity.restEnergy, 0.0) << c.name;
    }
}

TEST(ParticleIdentificationTest, longDigitRunsFailWithoutOverflow)
{
    // A digit run beyond the 32-bit range reads as the lowest integer, which is
    // then refused as a mass number; longer than 99 digits does not read at all.
    EXPECT_EQ(identifyParticle("99999999999He", defaultMassConstants).status, -2);
    EXPECT_EQ(identifyParticle(std::string(100, '9') + "He", defaultMassConstants).status, -2);
    EXPECT_EQ(identifyParticle(std::string(100, '9') + "He", defaultMassConstants).A, 0);
}

TEST(ParticleIdentificationTest, nuclideMassRejectsChargesAndMassNumbersOutsideTheTable)
{
    const MassConstants& masses = defaultMassConstants;
    EXPECT_EQ(nuclideMass(0, 12, masses).status, -2);
    EXPECT_EQ(nuclideMass(6, 0, masses).status, -2);
    EXPECT_EQ(nuclideMass(-2, 4, masses).status, -2);
    EXPECT_EQ(nuclideMass(57, 139, masses).status, -1);
    EXPECT_EQ(nuclideMass(-1, 7, masses).status, 0);  // the electron whatever A says
}

TEST(ParticleIdentificationTest, olderConstantSetKeepsTheElectronsInTheIonRestEnergy)
{
    const ParticleIdentity neon = identify("20Ne", massConstants2006);
    EXPECT_EQ(neon.massU, 19.9924401759);
    EXPECT_EQ(neon.restEnergy, 19.9924401759 * 931.0);

    const ParticleIdentity proton = identify("p", massConstants2006);
    EXPECT_EQ(proton.massU, 1.0078250321);
    EXPECT_EQ(proton.restEnergy, 938.2851048850999);

    const ParticleIdentity electron = identify("e", massConstants2006);
    EXPECT_EQ(electron.massU, 0.0005485810966039502);
    EXPECT_EQ(electron.restEnergy, 0.511);
}

}  // namespace
}  // namespace kesp
