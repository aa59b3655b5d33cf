#include "kesp/report/damageSections.h"

#include <gtest/gtest.h>

#include <sstream>

#include "kesp/damage/damageYields.h"
#include "kesp/input/runSettings.h"

namespace kesp {
namespace {

TEST(DamageSectionsTest, damageSectionListsYieldsAndModelConstants)
{
    // Yields of a particle with (Zeff/beta)^2 = 0 and no DMSO.
    const DamageYields yields{149200, 1300, 3900, 0.0};
    std::ostringstream out;
    writeDamageSection(out, yields, RunSettings{}.unrepairableBaseFraction);
    EXPECT_EQ(out.str(),
              "\n"
              "DAMAGE FORMATION AND CLUSTERING (normoxic conditions)\n"
              "     149200     segment length, nseg (bp per cell per Gy)\n"
              "       1300     number of strand breaks, sigSb (per cell per Gy)\n"
              "       3900     number of base damages,  sigBd (per cell per Gy)\n"
              "        3.0     base damage to strand break ratio, f\n"
              "          9     minimum distance between clusters, Nmin (bp)\n"
              "         10     maximum distance between two Sb to compose a DSB, Ndsb (bp)\n"
              "        0.0     fraction Bl/Bd\n");
}

TEST(DamageSectionsTest, dmsoSectionWithDefaults)
{
    std::ostringstream out;
    writeDmsoSection(out, RunSettings{});
    EXPECT_EQ(out.str(),
              "\n"
              "DMSO SIMULATION\n"
              "  5.0000E-01 fraction of non-scavengeable DNA damage (fnsd)\n"
              "  5.0000E-01 concentration (mol dm^-3) at half-level (chmx)\n"
              "  0.0000E+00 DMSO concentration (mol dm^-3)\n");
}

TEST(DamageSectionsTest, oxygenSectionWithTheModelOff)
{
    std::ostringstream out;
    writeOxygenSection(out, RunSettings{}, DamageYields{}.repairProbability);
    EXPECT_EQ(out.str(),
              "\n"
              "OXYGEN SIMULATION (M0=1.740, K=0.3372, q=946.10, r=2.15)\n"
              "  1.0000E+02 % O2 concentration (=760.00 mmHg)\n"
              "  0.0000E+00 chemical repair probability (pcr)\n"
              "  1.0000E+00 O2 fixation probability (1-pcr)\n"
              "  1.0000E+00 Approx. HRF for SSB induction [=1/(1-pcr)]\n"
              "  1.0000E+00 Approx. HRF for DSB induction [1/(1-pcr)]^2\n");
}

TEST(DamageSectionsTest, oxygenSectionWithoutOxygen)
{
    // No oxygen and a low (Zeff/beta)^2: pcr = 1 - 1/M0, so the HRF is M0 = 1.74.
    RunSettings config;
    config.oxygenPercent = 0.0;
    std::ostringstream out;
    writeOxygenSection(out, config, 1.0 - 1.0 / 1.74);
    EXPECT_EQ(out.str(),
              "\n"
              "OXYGEN SIMULATION (M0=1.740, K=0.3372, q=946.10, r=2.15)\n"
              "  0.0000E+00 % O2 concentration (=0.00 mmHg)\n"
              "  4.2529E-01 chemical repair probability (pcr)\n"
              "  5.7471E-01 O2 fixation probability (1-pcr)\n"
              "  1.7400E+00 Approx. HRF for SSB induction [=1/(1-pcr)]\n"
              "  3.0276E+00 Approx. HRF for DSB induction [1/(1-pcr)]^2\n");
}

TEST(DamageSectionsTest, certainRepairGivesUnitHrfInsteadOfDividingByZero)
{
    std::ostringstream out;
    writeOxygenSection(out, RunSettings{}, 1.0);
    EXPECT_NE(out.str().find("  1.0000E+00 Approx. HRF for DSB induction [1/(1-pcr)]^2\n"),
              std::string::npos);
}

}  // namespace
}  // namespace kesp
