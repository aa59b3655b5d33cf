#include "kesp/input/settingsCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "input/scratchDirectory.h"
#include "kesp/input/fieldFile.h"
#include "kesp/input/inputReader.h"
#include "kesp/input/particleNames.h"
#include "kesp/support/runError.h"

namespace kesp {
namespace {

// A diagnostic without its place: what must read the same from a file and
// from code.
struct Said {
    Severity severity;
    std::string block;
    std::string message;

    bool operator==(const Said&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Said& said)
{
    return out << severityWord(said.severity) << " " << said.block << " " << said.message;
}

std::vector<Said> withoutPlaces(const std::vector<Diagnostic>& diagnostics)
{
    std::vector<Said> said;
    for (const Diagnostic& d : diagnostics) {
        said.push_back({d.severity, d.block, d.message});
    }
    return said;
}

std::vector<Said> readDiagnostics(const std::string& text)
{
    std::istringstream input(text);
    InputDiagnostics diagnostics{"run.inp"};
    static_cast<void>(readInput(input, {}, "run.inp", &diagnostics));
    return withoutPlaces(diagnostics.list());
}

// Settings of 2 cells (no 1-cell warning) changed by `change`.
RunSettings settingsWith(const std::function<void(RunSettings&)>& change)
{
    RunSettings settings;
    settings.cells = 2;
    change(settings);
    return settings;
}

// The message and kind of the RunError `call` throws; empty when none.
std::pair<std::string, ErrorKind> thrown(const std::function<void()>& call)
{
    try {
        call();
    } catch (const RunError& error) {
        return {error.what(), error.kind()};
    }
    return {"", ErrorKind::input};
}

struct SameCase {
    const char* input;  // an input file of these values
    std::function<void(RunSettings&)> inCode;
};

// Every value the input reader warns of draws the same words from code:
// the cases users met where code ran without a word.
TEST(SettingsCheckTest, settingsInCodeDrawTheInputFilesMessages)
{
    const SameCase cases[] = {
        {"RADX: PAR=56Fe MEV/A=0.5", [](RunSettings& s) { s.field = singleParticleField("56Fe", 28.0); }},
        {"RADX: PAR=12C MEV/A=1", [](RunSettings& s) { s.field = singleParticleField("12C", 12.0); }},
        {"RADX: PAR=p KE=5000", [](RunSettings& s) { s.field = singleParticleField("p", 5000.0); }},
        {"RADX: PAR=e KE=600", [](RunSettings& s) { s.field = singleParticleField("e", 600.0); }},
        {"RADX: PAR=12Ca KE=120", [](RunSettings& s) { s.field = singleParticleField("12Ca", 120.0); }},
        {"CELL: DNA=6e+09", [](RunSettings& s) { s.dnaContent = 6e9; }},
        {"CELL: NDIA=0.005", [](RunSettings& s) { s.nucleusDiameter = 0.005; }},
        {"CELL: DNA=0.0001 NDIA=5000", [](RunSettings& s) { s.dnaContent = 1e-4; s.nucleusDiameter = 5000.0; }},
        {"EVO2: M0=0.5", [](RunSettings& s) { s.oxygenModel.maximumEnhancement = 0.5; }},
        {"RADX: PAR=p KE=10", [](RunSettings& s) { s.field = singleParticleField("p", 10.0); }},
    };
    for (const SameCase& c : cases) {
        const std::vector<Said> fromFile = readDiagnostics(std::string("SIMCON: NOCS=2\n") + c.input + "\n");
        const std::vector<Diagnostic> fromCode = checkSettings(settingsWith(c.inCode));
        EXPECT_EQ(withoutPlaces(fromCode), fromFile) << c.input;
        EXPECT_EQ(fromFile.empty(), std::string(c.input) == "RADX: PAR=p KE=10") << c.input;
        for (const Diagnostic& d : fromCode) {
            EXPECT_EQ(d.file, "") << c.input;
            EXPECT_EQ(d.line, 0) << c.input;
        }
    }
    EXPECT_EQ(readDiagnostics("SIMCON: NOCS=1\n"), withoutPlaces(checkSettings(RunSettings{})));
    EXPECT_EQ(checkSettings(RunSettings{}).at(0).severity, Severity::resultWarning);
}

// A name that the run would simulate as another particle is refused in
// code with the words the input file warns with; a file still runs it.
TEST(SettingsCheckTest, namesOfAnotherParticleAreRefusedInCodeWithTheFilesWords)
{
    for (const char* name : {"Pb", "Po", "Eu", "12Cxx", "7Xx"}) {
        const std::vector<Said> fromFile =
            readDiagnostics(std::string("SIMCON: NOCS=2\nRADX: PAR=") + name + " KE=10\n");
        ASSERT_FALSE(fromFile.empty()) << name;
        const auto [message, kind] = thrown([&] { static_cast<void>(singleParticleField(name, 10.0)); });
        EXPECT_EQ(message, fromFile.front().message) << name;
        EXPECT_EQ(kind, ErrorKind::input) << name;
        // Settings whose field took the name as a file does are refused by the check.
        RunSettings settings = settingsWith([&](RunSettings& s) {
            s.field = RadiationField(name, 10.0, ParticleNames::asRead);
        });
        EXPECT_EQ(thrown([&] { static_cast<void>(checkSettings(settings)); }).first, fromFile.front().message);
    }
    // A capital P could be phosphorus, a capital E anything: in code only the
    // lower-case letters stand for the proton and the electron.
    EXPECT_EQ(thrown([] { static_cast<void>(singleParticleField("P", 10.0)); }).first,
              "particle \"P\" has no mass number and is read by its first letter as the proton; give ions as mass "
              "number and symbol, as 208Pb");
    EXPECT_NE(thrown([] { static_cast<void>(singleParticleField("E", 10.0)); }).first, "");
    for (const char* name : {"e", "p", "e-", "E-", "4He", "56Fe", "1H"}) {
        EXPECT_EQ(thrown([&] { static_cast<void>(singleParticleField(name, 10.0)); }).first, "") << name;
    }
    // Every way code makes a field keeps the rule; a mixed field names the component.
    EXPECT_EQ(thrown([] { static_cast<void>(mixedField({{"p", 10.0, 1.0}, {"Pb", 10.0, 1.0}})); }).first,
              "component 2: particle \"Pb\" has no mass number and is read by its first letter as the proton; give "
              "ions as mass number and symbol, as 208Pb");
    EXPECT_NE(thrown([] { static_cast<void>(RadiationField().withParticle(1, "Eu", 1.0)); }).first, "");
}

// A mixed field's components are each checked, named by their position;
// a single particle's limit and range checks hold for every component.
TEST(SettingsCheckTest, everyComponentOfAMixedFieldIsChecked)
{
    const RunSettings settings = settingsWith([](RunSettings& s) {
        s.field = mixedField({{"p", 10.0, 1.0}, {"12C", 12.0, 1.0}, {"p", 5000.0, 1.0}, {"12Ca", 120.0, 1.0}});
    });
    const std::vector<Diagnostic> diagnostics = checkSettings(settings);
    std::vector<std::string> starts;
    for (const Diagnostic& d : diagnostics) {
        EXPECT_EQ(d.block, "RADX:");
        starts.push_back(d.message.substr(0, d.message.find(' ', 13)));
    }
    EXPECT_EQ(starts, (std::vector<std::string>{"component 2: 12C", "component 3: proton",
                                                "component 4: particle", "component 4: 12Ca"}));
}

// A field file's energy above the model's range draws the words of the
// same component in code; its particle is held to its name in code only.
TEST(SettingsCheckTest, aMixedFieldInCodeDrawsTheFieldFilesWords)
{
    const ScratchDirectory scratch;
    const std::string file = scratch.write("field.txt", "two\n2\np 10 1\np 5000 1\n");
    InputDiagnostics fromFile{"run.inp"};
    RadiationField read;
    ASSERT_EQ(loadFieldFile(file, read, defaultMassConstants, &fromFile), FieldFileOutcome::mixedField);
    ASSERT_EQ(fromFile.list().size(), 1U);
    RunSettings settings =
        settingsWith([](RunSettings& s) { s.field = mixedField({{"p", 10.0, 1.0}, {"p", 5000.0, 1.0}}); });
    const std::vector<Diagnostic> fromCode = checkSettings(settings);
    ASSERT_EQ(fromCode.size(), 1U);
    EXPECT_EQ(fromCode[0].message, fromFile.list()[0].message);
    EXPECT_EQ(fromCode[0].block, "RADX:");
    // The field as the file gave it gets the same words from the check.
    settings.field = read;
    EXPECT_EQ(withoutPlaces(checkSettings(settings)), withoutPlaces(fromCode));
}

// Diagnostics of code and of a file differ only in their place; the
// untabulated mass number is a caveat (the named particle is run).
TEST(SettingsCheckTest, caveatsStayWarnings)
{
    std::vector<NameFinding> findings =
        readParticleName("12Ca", "12Ca", defaultMassConstants, "", NameSpelling::code);
    ASSERT_EQ(findings.size(), 1U);
    EXPECT_FALSE(findings[0].anotherParticle);
    findings = readParticleName("P", "p", defaultMassConstants, "", NameSpelling::inputFile);
    EXPECT_TRUE(findings.empty());
    findings = readParticleName("P", "P", defaultMassConstants, "", NameSpelling::code);
    ASSERT_EQ(findings.size(), 1U);
    EXPECT_TRUE(findings[0].anotherParticle);
}

TEST(SettingsCheckTest, aFieldThatWasMovedFromIsAUsageError)
{
    RunSettings settings;
    RunSettings taken = std::move(settings);
    EXPECT_EQ(thrown([&] { static_cast<void>(checkSettings(settings)); }).second, ErrorKind::usage);
    EXPECT_EQ(thrown([&] { static_cast<void>(checkSettings(taken)); }).first, "");
}

}  // namespace
}  // namespace kesp

namespace kesp {
namespace {

// A line of settings made in code names no file, so it starts with its
// severity; a file's line keeps the form editors jump to.
TEST(SettingsCheckTest, aLineOfSettingsMadeInCodeStartsWithItsSeverity)
{
    RunSettings settings;
    settings.field = RadiationField("p", 5000.0);
    settings.cells = 2;
    const std::vector<Diagnostic> diagnostics = checkSettings(settings);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(formatDiagnostic(diagnostics[0]).rfind("warning: RADX: proton at 5000 MeV", 0), 0u)
        << formatDiagnostic(diagnostics[0]);
    Diagnostic inFile = diagnostics[0];
    inFile.file = "run.inp";
    inFile.line = 4;
    EXPECT_EQ(formatDiagnostic(inFile).rfind("run.inp:4: warning: RADX: proton", 0), 0u);
    inFile.line = 0;
    EXPECT_EQ(formatDiagnostic(inFile).rfind("run.inp: warning: RADX: proton", 0), 0u);
}

}  // namespace
}  // namespace kesp
