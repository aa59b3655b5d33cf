#include "driver/commandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>



namespace kesp {
namespace {

CommandLine readArguments(const std::vector<std::string_view>& arguments)
{
    CommandLine commandLine;
    readCommandLine(arguments, commandLine);
    return commandLine;
}

TEST(CommandLineTest, reportNameReplacesTheLastExtension)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"run.inp", "run.out"},
        {"run", "run.out"},
        {"a.b.c", "a.b.out"},
        {".inp", ".inp.out"},
        {"dir/run.inp", "dir/run.out"},
        // Only the file name's extension is replaced, never a directory's.
        {"data.set/run", "data.set/run.out"},
        {"../v1.2/run", "../v1.2/run.out"},
        {"../run", "../run.out"},
        {"../v1.2/run.inp", "../v1.2/run.out"},
        {"dir/.inp", "dir/.inp.out"},
    };
    for (const auto& [input, report] : cases) {
        const CommandLine options = readArguments({input});
        EXPECT_EQ(options.inputFileName, input);
        EXPECT_EQ(options.reportFileName, report) << "input " << input;
    }
}

TEST(CommandLineTest, noArgumentsGiveTheDefaultNames)
{
    const CommandLine options = readArguments({});
    EXPECT_EQ(options.inputFileName, "kesp.inp");
    EXPECT_EQ(options.reportFileName, "kesp.out");
    EXPECT_TRUE(options.switches.oxygenEffect);
    EXPECT_TRUE(options.switches.zebDependentOxygen);
    EXPECT_FALSE(options.switches.masses2006);
    // A command line built in code without a command line are the same.
    EXPECT_EQ(options, CommandLine{});
}

TEST(CommandLineTest, longNameIsCutBeforeTheReportNameIsDerived)
{
    const std::string name = std::string(596, 'x') + ".inp";
    const CommandLine options = readArguments({name});
    EXPECT_EQ(options.inputFileName, std::string(500, 'x'));
    // No dot in the first 500 characters: ".out" is appended and cut away again.
    EXPECT_EQ(options.reportFileName, std::string(500, 'x'));
}

TEST(CommandLineTest, switchesTurnPartsOfTheModelOff)
{
    struct Case {
        std::vector<std::string_view> switches;
        bool oxygenEffect;
        bool zebDependentOxygen;
        bool masses2006;
    };
    const std::vector<Case> cases = {
        {{"/no2"}, false, true, false},
        {{"/NO2"}, false, true, false},
        {{"/nq"}, true, false, false},
        {{"/n q"}, true, false, false},     // blanks inside the argument are squeezed out
        {{"/2006"}, false, false, true},
        {{"/2006", "/no2"}, false, false, true},
        {{"/no2", "/nq"}, false, false, false},
        {{"/no2x"}, true, true, false},     // not a switch: ignored
        {{"/nq1"}, true, true, false},
        {{"/no2222222"}, true, true, false},
        {{"junk"}, true, true, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> arguments = {"run.inp"};
        arguments.insert(arguments.end(), c.switches.begin(), c.switches.end());
        const CommandLine options = readArguments(arguments);
        EXPECT_EQ(options.switches.oxygenEffect, c.oxygenEffect) << c.switches[0];
        EXPECT_EQ(options.switches.zebDependentOxygen, c.zebDependentOxygen) << c.switches[0];
        EXPECT_EQ(options.switches.masses2006, c.masses2006) << c.switches[0];
    }
}

TEST(CommandLineTest, everyArgumentThatIsNoSwitchDrawsAWarningNamingIt)
{
    const std::string known =
        " is not a switch and is ignored; the switches are /no2, /nq, /2006, /strict and /json";
    struct Case {
        std::string argument;
        std::string warning;  // empty: the argument is a switch (or blank) and draws none
    };
    const std::vector<Case> cases = {
        {"/no2", ""},
        {"/STRICT", ""},
        {"/json", ""},
        {"--JSON", ""},
        {"/jsn", "command line: warning: \"/jsn\"" + known},
        {"/n q", ""},
        {"  ", ""},  // an empty variable in a script
        {"", ""},
        {"--", "command line: warning: \"--\"" + known},
        {"/no2x", "command line: warning: \"/no2x\"" + known},
        {"/no2222222", "command line: warning: \"/no2222222\"" + known},
        {"-strict", "command line: warning: \"-strict\"" + known},
        {"a\x1b[2Jb", "command line: warning: \"a?[2Jb\"" + known},  // no control characters reach the terminal
        {"/" + std::string(99, 'x'),
         "command line: warning: \"/" + std::string(59, 'x') + "...\"" + known},
    };
    for (const Case& c : cases) {
        CommandLine options;
        const std::vector<std::string> warnings =
            readCommandLine(std::vector<std::string_view>{"run.inp", c.argument}, options);
        const std::vector<std::string> expected = c.warning.empty() ? std::vector<std::string>{}
                                                                    : std::vector<std::string>{c.warning};
        EXPECT_EQ(warnings, expected) << c.argument;
    }
    // One warning per slip, in order, and the switches among them still apply.
    CommandLine options;
    const std::vector<std::string> warnings =
        readCommandLine(std::vector<std::string_view>{"run.inp", "/x", "/nq", "/y"}, options);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("\"/x\""), std::string::npos);
    EXPECT_NE(warnings[1].find("\"/y\""), std::string::npos);
    EXPECT_FALSE(options.switches.zebDependentOxygen);
}

TEST(CommandLineTest, gnuStyleSwitchesAreTakenLikeTheirSlashForms)
{
    const std::vector<std::pair<std::string_view, std::string_view>> cases = {
        {"--strict", "/strict"}, {"--STRICT", "/strict"}, {"--no2", "/no2"}, {"--nq", "/nq"}, {"--2006", "/2006"},
    };
    for (const auto& [gnu, slash] : cases) {
        CommandLine fromGnu;
        CommandLine fromSlash;
        EXPECT_TRUE(readCommandLine(std::vector<std::string_view>{"run.inp", gnu}, fromGnu).empty()) << gnu;
        readCommandLine(std::vector<std::string_view>{"run.inp", slash}, fromSlash);
        EXPECT_EQ(fromGnu, fromSlash) << gnu;
        EXPECT_NE(fromGnu, CommandLine{}) << gnu;
    }
}

// /json asks the program for a document and changes nothing of the run.
TEST(CommandLineTest, givenSwitchesAreTheSwitchWordsInOrderAndJsonLeavesTheRunAsItIs)
{
    struct Case {
        std::vector<std::string_view> arguments;
        std::vector<std::string> switches;
    };
    const std::vector<Case> cases = {
        {{}, {}},
        {{"run.inp"}, {}},
        {{"/json"}, {}},  // the input file's name
        {{"run.inp", "/json"}, {"/json"}},
        {{"run.inp", "--Json", "/x", " /N o2 ", "", "/2006"}, {"/json", "/no2", "/2006"}},
        {{"run.inp", "/strict", "/json", "/json"}, {"/strict", "/json", "/json"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(givenSwitches(c.arguments), c.switches) << c.arguments.size();
    }
    EXPECT_EQ(readArguments({"run.inp", "/json"}), readArguments({"run.inp"}));
}

TEST(CommandLineTest, theJsonDocumentIsNamedLikeTheReport)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"run.inp", "run.json"}, {"run", "run.json"}, {"a.b.c", "a.b.json"}, {"../v1.2/run", "../v1.2/run.json"},
        {".inp", ".inp.json"},
    };
    for (const auto& [input, json] : cases) {
        EXPECT_EQ(jsonNameFor(readArguments({input}).reportFileName), json) << input;
    }
}

TEST(CommandLineTest, switchGivenFirstIsTakenAsTheInputName)
{
    const CommandLine options = readArguments({"/no2", "run.inp"});
    EXPECT_EQ(options.inputFileName, "/no2");
    EXPECT_TRUE(options.switches.oxygenEffect);
}

}  // namespace
}  // namespace kesp
