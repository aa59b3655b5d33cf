// Particle names in canonical case: the element symbol as the nuclide table
// writes it, the electron and the proton in lower case, all else as written.

#include <gtest/gtest.h>

#include <string>

#include "kesp/physics/particleSpelling.h"

namespace kesp {
namespace {

TEST(ParticleSpellingTest, elementSymbolsTakeTheCaseOfTheNuclideTable)
{
    const struct {
        const char* written;
        const char* canonical;
    } cases[] = {
        {"12C", "12C"},      {"12c", "12C"},     {"4HE", "4He"},   {"4he", "4He"},   {"4He", "4He"},
        {"56FE", "56Fe"},    {"238u", "238U"},   {"20Ne", "20Ne"}, {"1H", "1H"},     {"12C  ", "12C  "},
        {"p", "p"},          {"P", "p"},         {"E", "e"},       {"e", "e"},       {" P   ", " p   "},
        // No element, or no symbol behind the mass number: as written.
        {"NE20", "NE20"},    {"12Xx", "12Xx"},   {"12", "12"},     {"OXYGE", "OXYGE"}, {"Pb", "Pb"},
        {"electron", "electron"}, {"", ""},
        // Two letters naming an element are both recased; one more letter is not looked at.
        {"40CA", "40Ca"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(canonicalParticleName(c.written), c.canonical) << '"' << c.written << '"';
    }
}

TEST(ParticleSpellingTest, aCanonicalNameStaysAsItIs)
{
    for (const char* name : {"12C", "4He", "p", "e", "56Fe", "NE20", "Avg"}) {
        const std::string once = canonicalParticleName(name);
        EXPECT_EQ(canonicalParticleName(once), once);
    }
}

}  // namespace
}  // namespace kesp
