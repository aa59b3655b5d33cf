#include "kesp/input/fieldReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kesp/input/radiationField.h"
#include "input/scratchDirectory.h"
#include "kesp/support/text.h"

namespace kesp {
namespace {

class FieldReaderTest : public ::testing::Test {
protected:
    // Reads the block; its field is kept in `field`.
    BlockStatus read(const std::string& file)
    {
        std::istringstream input(file);
        RadiationBlock block = readRadiationBlock(input, defaultMassConstants);
        field = std::move(block.field);
        return block.status;
    }

    const FieldComponent& first() const { return field.component(1); }

    ScratchDirectory scratch;
    RadiationField field;
};

struct SingleParticleCase {
    std::string file;
    BlockStatus status;
    std::string name;
    double kineticEnergy;
};

TEST_F(FieldReaderTest, singleParticleFromTheBlockLine)
{
    const std::vector<SingleParticleCase> cases = {
        {"", BlockStatus::absent, "e", 1.0},
        {"SIMCON: NOCS=3\n", BlockStatus::absent, "e", 1.0},
        {"RADX: PAR=p KE=10 ! single particle\n", BlockStatus::read, "p", 10.0},
        {"radx: par=4he ke=40\n", BlockStatus::read, "4He", 40.0},  // 4HE, then its last letter lowered
        {"  R ADX : PAR=p KE=10\n", BlockStatus::read, "p", 10.0},  // blanks inside the key are squeezed
        {"Beam: RADX: PAR=p KE=10\n", BlockStatus::absent, "e", 1.0},  // the key must begin the line
        {"RADX: PAR=p KE=10\nRADX: PAR=4He KE=40\n", BlockStatus::read, "p", 10.0},
        {"! RADX: PAR=p KE=10\nRADX: PAR=4He KE=40\n", BlockStatus::read, "4He", 40.0},  // "!" is not "RADX:"
        {"RADX: PAR=12C MEV/A=10\n", BlockStatus::read, "12c", 120.0},  // 10 MeV/A x A = 12; 12C -> 12c
        {"RADX: MEV/A=10 PAR=12C\n", BlockStatus::read, "12c", 120.0},
        {"RADX: PAR=12C KE=50 MEV/A=10\n", BlockStatus::read, "12c", 120.0},
        {"RADX: PAR=12C KE=50 MEV/A=0\n", BlockStatus::read, "12c", 0.0},
        {"RADX: PAR=12C MEV/A=0 KE=50\n", BlockStatus::read, "12c", 50.0},
        {"RADX: MEV/A=10\n", BlockStatus::read, "e", 0.0},  // the electron's mass number is 0
        {"RADX: PAR=NE20 KE=5\n", BlockStatus::read, "NE20", 5.0},
        {"RADX: PAR=Oxygen16\n", BlockStatus::read, "OXYGe", 1.0},  // cut to 5 characters
        {"RADX: PAR= KE=3\n", BlockStatus::read, "", 3.0},
        {"RADX: KE=abc MEV/A=NaN KE=Inf KE=1E999\n", BlockStatus::read, "e", 1.0},
        {"RADX: KE='7'\n", BlockStatus::read, "e", 7.0},
        {"RADX: KE=7\r\n", BlockStatus::read, "e", 7.0},
        {"RADX: FN=nowhere.txt PAR=p KE=10\n", BlockStatus::read, "p", 10.0},  // no such file
    };
    for (const SingleParticleCase& c : cases) {
        EXPECT_EQ(read(c.file), c.status) << c.file;
        EXPECT_EQ(first().name, c.name) << c.file;
        EXPECT_EQ(first().kineticEnergy, c.kineticEnergy) << c.file;
        EXPECT_EQ(field.componentCount(), 1) << c.file;
        EXPECT_TRUE(field.singleParticle()) << c.file;
    }
}

TEST_F(FieldReaderTest, fieldFileIsTriedBeforeTheParticleItems)
{
    const std::string file = scratch.write("field.txt", "Mixed\n3\np 10 1\n4He 40 1\n12C 120 2\n");
    EXPECT_EQ(read("RADX: PAR=4He KE=40 FN=" + file + "\r\n"), BlockStatus::read);
    EXPECT_FALSE(field.singleParticle());
    EXPECT_EQ(field.componentCount(), 3);
    EXPECT_EQ(field.component(3).cumulativeWeight, 1.0);
    EXPECT_EQ(field.fileName(), file);
    EXPECT_EQ(first().name, "p");
    EXPECT_EQ(first().kineticEnergy, 10.0);
}

TEST_F(FieldReaderTest, unusableFieldFilesAreSkipped)
{
    const std::string empty = scratch.write("empty.txt", "No components\n0\n");
    const std::string single = scratch.write("single.txt", "One\n1\n4He 40 0.5\n");
    // A directory, a missing file and a file without components are passed over.
    const std::string line = "RADX: fn=" + scratch.name("") + " FN=" + scratch.name("none.txt") +
                             " Fn=" + empty + " FN=" + single + " PAR=p KE=10\n";
    EXPECT_EQ(read(line), BlockStatus::absent);
    EXPECT_TRUE(field.singleParticle());
    EXPECT_EQ(field.componentCount(), 1);
    EXPECT_EQ(first().name, "4He");
    EXPECT_EQ(first().kineticEnergy, 40.0);
    EXPECT_EQ(first().weight, 1.0);

    // None loads: the block line's own items give the particle.
    EXPECT_EQ(read("RADX: FN=" + empty + " PAR=p KE=10\n"), BlockStatus::read);
    EXPECT_EQ(field.componentCount(), 1);
    EXPECT_EQ(first().name, "p");
}

TEST_F(FieldReaderTest, fileNameKeepsItsCase)
{
    const std::string file = scratch.write("Field.TXT", "t\n2\np 10 1\np 20 1\n");
    EXPECT_EQ(read("RADX: FN=" + scratch.name("field.txt") + "\n"), BlockStatus::read);
    EXPECT_TRUE(field.singleParticle());  // no such file: the default electron
    EXPECT_EQ(read("RADX: FN=" + file + "\n"), BlockStatus::read);
    EXPECT_FALSE(field.singleParticle());
}

}  // namespace
}  // namespace kesp
