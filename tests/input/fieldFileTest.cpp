#include "kesp/input/fieldFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kesp/input/radiationField.h"
#include "input/scratchDirectory.h"
#include "kesp/support/runError.h"
#include "kesp/support/text.h"

namespace kesp {
namespace {

class FieldFileTest : public ::testing::Test {
protected:
    // Into `field`, which starts as the default 1 MeV electron.
    FieldFileOutcome load(const std::string& fileName)
    {
        return loadFieldFile(fileName, field, defaultMassConstants);
    }

    const FieldComponent& component(int i) const { return field.component(i); }

    ScratchDirectory scratch;
    RadiationField field;
};

TEST_F(FieldFileTest, weightsAreNormalisedAndAccumulated)
{
    const std::string file = scratch.write("f.txt", "Three components\n3\np 10 1\n4He 40 1\n12C 120 2\n");
    EXPECT_EQ(load(file), FieldFileOutcome::mixedField);
    EXPECT_EQ(field.componentCount(), 3);
    EXPECT_FALSE(field.singleParticle());
    EXPECT_EQ(field.fileName(), file);
    // 1, 1, 2 over their sum 4: exact in binary.
    const double weights[] = {0.25, 0.25, 0.5};
    const double cumulative[] = {0.25, 0.5, 1.0};
    const char* names[] = {"p", "4He", "12C"};
    const double energies[] = {10.0, 40.0, 120.0};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(component(i).weight, weights[i - 1]);
        EXPECT_EQ(component(i).cumulativeWeight, cumulative[i - 1]);
        EXPECT_EQ(component(i).name, names[i - 1]);
        EXPECT_EQ(component(i).kineticEnergy, energies[i - 1]);
    }
    // The same field as built in code.
    EXPECT_EQ(field.components(),
              mixedField({{"p", 10.0, 1.0}, {"4He", 40.0, 1.0}, {"12C", 120.0, 2.0}}).components());
}

TEST_F(FieldFileTest, oneComponentGivesASingleParticleOfWeightOne)
{
    const std::string file = scratch.write("one.txt", "title\n1\n4He 40 0.3\n");
    EXPECT_EQ(load(file), FieldFileOutcome::singleComponent);
    EXPECT_TRUE(field.singleParticle());
    EXPECT_EQ(field.componentCount(), 1);
    EXPECT_EQ(component(1).name, "4He");
    EXPECT_EQ(component(1).weight, 1.0);
    EXPECT_EQ(component(1).cumulativeWeight, 1.0);
}

TEST_F(FieldFileTest, recordsInFreeFormat)
{
    const std::string contents =
        "title, with commas / and a slash\r\n"
        "\r\n"
        "  2 components follow\r\n"       // the rest of the line after N is ignored
        "'4He' , 40.0,\r\n"                // a record spread over two lines
        "\r\n"
        "  0.25 rest of the line ignored\r\n"
        "\"12Carbon\" 1.2D2 3E-1\r\n";      // quoted name cut to 5 characters
    const std::string file = scratch.write("free.txt", contents);
    EXPECT_EQ(load(file), FieldFileOutcome::mixedField);
    EXPECT_EQ(component(1).name, "4He");
    EXPECT_EQ(component(1).kineticEnergy, 40.0);
    EXPECT_EQ(component(2).name, "12Car");
    EXPECT_EQ(component(2).kineticEnergy, 120.0);
    EXPECT_EQ(component(1).weight, 0.25 / (0.25 + 0.3));
    EXPECT_EQ(component(2).cumulativeWeight, component(1).weight + component(2).weight);
}

TEST_F(FieldFileTest, valuesLeftOutKeepWhatTheComponentHolds)
{
    // A leading comma leaves component 1's name "e" of the field loaded into; a slash
    // after the energy leaves component 2's weight at 0; ",," after the energy
    // leaves component 3's weight out, and the 5 after it is past the record.
    const std::string file = scratch.write("keep.txt", "t\n3\n, 2 1\np 10 /  5 5\n4He,40,,5\n");
    EXPECT_EQ(load(file), FieldFileOutcome::mixedField);
    EXPECT_EQ(component(1).name, "e");
    EXPECT_EQ(component(1).kineticEnergy, 2.0);
    EXPECT_EQ(component(1).weight, 1.0);
    EXPECT_EQ(component(2).kineticEnergy, 10.0);
    EXPECT_EQ(component(2).weight, 0.0);
    EXPECT_EQ(component(3).name, "4He");
    EXPECT_EQ(component(3).kineticEnergy, 40.0);
    EXPECT_EQ(component(3).weight, 0.0);
    EXPECT_EQ(component(3).cumulativeWeight, 1.0);
}

TEST_F(FieldFileTest, filesWithoutComponentsChangeNothing)
{
    EXPECT_EQ(load(scratch.name("missing.txt")), FieldFileOutcome::notOpened);
    EXPECT_EQ(load(scratch.name("")), FieldFileOutcome::notOpened);  // the directory
    EXPECT_EQ(load(scratch.write("zero.txt", "t\n0\n")), FieldFileOutcome::noComponents);
    EXPECT_EQ(load(scratch.write("neg.txt", "t\n\n-4\np 1 1\n")), FieldFileOutcome::noComponents);
    EXPECT_EQ(field.componentCount(), 1);
    EXPECT_TRUE(field.singleParticle());
    EXPECT_EQ(component(1).name, "e");
    EXPECT_EQ(field, RadiationField{});
}

TEST_F(FieldFileTest, faultyFilesStopTheRunNamingFileAndComponent)
{
    struct Case {
        std::string contents;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"", "bad.txt ends before the number of components"},
        {"title only\n\n", "bad.txt ends before the number of components"},
        {"t\n2.5\n", "bad.txt: the number of components \"2.5\" is not a whole number"},
        {"t\nabc\n", "the number of components \"abc\" is not a whole number"},
        {"t\n10001\n", "bad.txt holds 10001 components; at most 10000 are allowed"},
        {"t\n99999999999999\n", "holds 99999999999999 components; at most 10000"},
        {"t\n3\np 10 1\np 10 1\n", "bad.txt ends before component 3 is complete"},
        {"t\n2\np 10 1\np 10\n", "bad.txt ends before component 2 is complete"},
        {"t\n2\np 10 1\np abc 1\n", "bad.txt, component 2: the kinetic energy \"abc\" is not a number"},
        {"t\n1\np 10 NaN\n", "component 1: the weight \"NaN\" is not a number"},
        {"t\n1\np 1E999 1\n", "component 1: the kinetic energy \"1E999\" is not a number"},
        {"t\n3\np 1 1\np 1 1\np 1 -1\n", "bad.txt, component 3: weight -1 is negative; weights must be >= 0."},
        {"t\n2\np 1 0\np 1 0\n", "bad.txt: the weights add up to 0; they must add up to a positive"},
        {"t\n2\np 1 1E308\np 1 1E308\n", "the weights add up to inf"},
        {"t\n2\np 1 1\np 0 1\n", "bad.txt, component 2: kinetic energy 0 is not a positive number"},
        {"t\n1\np -5 1\n", "component 1: kinetic energy -5 is not a positive number"},
        {"t\n2\np 1 1\np / 1\n", "component 2: kinetic energy 0 is not a positive number"},
        // Particles that cannot be set up would be simulated with the data of
        // the component before them.
        {"t\n2\np 10 1\nXx 10 1\n", "bad.txt, component 2: the particle name \"Xx\" is unknown"},
        {"t\n1\nXx 10 1\n", "bad.txt, component 1: the particle name \"Xx\" is unknown"},
        {"t\n2\np 10 1\n56Fe 1E-300 1\n", "component 2: kinetic energy 1e-300 MeV is too small to give 56Fe a speed"},
    };
    for (const Case& c : cases) {
        const std::string file = scratch.write("bad.txt", c.contents);
        RadiationField loaded;
        try {
            static_cast<void>(loadFieldFile(file, loaded, defaultMassConstants));
            ADD_FAILURE() << "no stop for " << c.contents;
        } catch (const RunError& error) {
            EXPECT_PRED_FORMAT2(::testing::IsSubstring, c.message, error.what()) << c.contents;
            EXPECT_EQ(error.kind(), ErrorKind::input) << c.contents;
        }
        // A file that stops the run leaves the field as it was.
        EXPECT_EQ(loaded, RadiationField{}) << c.contents;
    }
}

}  // namespace
}  // namespace kesp
