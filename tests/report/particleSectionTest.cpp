#include "kesp/report/particleSection.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kesp/physics/particleState.h"

namespace kesp {
namespace {

std::string written(const ParticleState& particle)
{
    std::ostringstream out;
    writeParticleSection(out, particle);
    return out.str();
}

TEST(ParticleSectionTest, protonAtTenMeV)
{
    ParticleState p;
    p.symbol = "p ";
    p.Z = 1;
    p.A = 1;
    p.massU = 1.00727647;
    p.restEnergy = 938.272;
    p.T = 10.0;
    p.tLimit = 0.025;
    p.beta2 = 0.0209797874713753;  // 1 - 1/gamma^2 with gamma = 1 + 10/938.272
    p.zeb = 1.0 / p.beta2;         // Zeff = 1
    // Hand-evaluated: pc = sqrt(10^2 + 2*10*938.272) = 137.352, 1.24/pc = 9.02793e-3,
    // gamma = 1.01066, beta = 0.144844, zeb = 47.6649.
    EXPECT_EQ(written(p),
              "\n"
              "PARTICLE: proton (mass = 1.00728E+00 u = 9.38272E+02 MeV/c^2)\n"
              "  1.00000E+01 MeV >= 2.50000E-02 MeV\n"
              "  1.00000E+01 MeV/A >= 2.50000E-02 MeV/A)\n"
              "  1.37352E+02 MeV (p*c = momentum x speed of light)\n"
              "  9.02793E-03 pm (de Broglie wavelength)\n"
              "  1.01066E+00 = T/m0c2+1 (Lorentz factor) >= 1\n"
              "  1.00000E+00 ABS(effective charge); Barkas 1963\n"
              "  1.44844E-01 beta = (v/c) <= 1\n"
              "  4.76649E+01 (zeff/beta)^2 <= 1.000E+04\n");
}

TEST(ParticleSectionTest, electronUsesMassUnitsPerNucleon)
{
    ParticleState p;
    p.symbol = "e ";
    p.Z = -1;
    p.A = 0;
    p.massU = 5.48579909e-4;
    p.restEnergy = 0.51099895;
    p.T = 1.0;
    p.tLimit = 1.0e-3;
    const std::string text = written(p);
    EXPECT_EQ(text.substr(0, text.find('\n', 1) + 1),
              "\nPARTICLE: e- (mass = 5.48580E-04 u = 5.10999E-01 MeV/c^2)\n");
    // 1/massU = 1822.89
    EXPECT_NE(text.find("\n  1.82289E+03 MeV/u >= 1.82289E+00 MeV/u)\n"), std::string::npos);
}

TEST(ParticleSectionTest, ionShowsMassNumberAndSymbol)
{
    ParticleState p;
    p.Z = 6;
    p.A = 12;
    p.symbol = "C ";
    p.massU = 12.0;
    p.restEnergy = 11177.9;
    p.T = 120.0;
    p.tLimit = 2.4;
    const std::string text = written(p);
    EXPECT_EQ(text.substr(0, text.find('\n', 1) + 1),
              "\nPARTICLE: 12C (mass = 1.20000E+01 u = 1.11779E+04 MeV/c^2)\n");
    EXPECT_NE(text.find("\n  1.00000E+01 MeV/A >= 2.00000E-01 MeV/A)\n"), std::string::npos);
}

}  // namespace
}  // namespace kesp
