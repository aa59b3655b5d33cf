// tools/installDependencies.sh, through what it lists (--list and --missing
// install nothing): the purposes take in those they build on, `tests` takes
// in every purpose, the build's messages name packages it installs, what it
// finds missing does not depend on the folder it runs in, and a purpose it
// does not know is refused before anything is installed.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/runHarness.h"

namespace kesp {
namespace {

const std::filesystem::path sourceDir = KESP_SOURCE_DIR;
const std::filesystem::path script = sourceDir / "tools" / "installDependencies.sh";
const std::vector<std::string> purposes = {"program", "python", "plot", "workflow",
                                           "notebooks", "web", "docs", "tests"};

RunResult runScript(const std::vector<std::string>& arguments)
{
    return runExecutable(script, makeRunDirectory("kesp-installDependencies"), arguments, 60);
}

std::vector<std::string> listed(const std::vector<std::string>& purposeNames)
{
    std::vector<std::string> arguments = {"--list"};
    arguments.insert(arguments.end(), purposeNames.begin(), purposeNames.end());
    const RunResult run = runScript(arguments);
    EXPECT_EQ(run.exitStatus, 0) << "--list of " << purposeNames.size() << " purposes";
    EXPECT_TRUE(run.errors.empty());
    return run.console;
}

std::set<std::string> asSet(const std::vector<std::string>& packages)
{
    return {packages.begin(), packages.end()};
}

bool includes(const std::set<std::string>& all, const std::set<std::string>& part)
{
    return std::includes(all.begin(), all.end(), part.begin(), part.end());
}

TEST(InstallDependencies, purposesTakeInWhatTheyBuildOn)
{
    const std::vector<std::pair<std::string, std::string>> buildsOn = {
        {"python", "program"}, {"plot", "python"}, {"workflow", "plot"}, {"notebooks", "plot"}, {"docs", "plot"}};
    for (const auto& [purpose, base] : buildsOn) {
        EXPECT_TRUE(includes(asSet(listed({purpose})), asSet(listed({base})))) << purpose << " without " << base;
    }
    const std::set<std::string> everything = asSet(listed({"tests"}));
    for (const std::string& purpose : purposes) {
        const std::vector<std::string> packages = listed({purpose});
        EXPECT_FALSE(packages.empty()) << purpose;
        EXPECT_EQ(asSet(packages).size(), packages.size()) << purpose << " lists a package twice";
        EXPECT_TRUE(includes(everything, asSet(packages))) << "tests lacks part of " << purpose;
    }
    EXPECT_EQ(listed({}), listed({"program"}));
    // Several purposes: each package once, whatever the order.
    const std::vector<std::string> several = listed({"web", "plot", "program"});
    EXPECT_EQ(asSet(several).size(), several.size());
    EXPECT_EQ(asSet(several), asSet(listed({"plot", "web"})));
}

// The Debian packages that the configure step names when something is
// missing are the ones the set-up installs.
TEST(InstallDependencies, packagesTheBuildNamesAreInstalledForTheTests)
{
    const std::set<std::string> everything = asSet(listed({"tests"}));
    const std::regex named(R"(Debian packages? ([a-z0-9.+-]+(, [a-z0-9.+-]+)*))");
    int namedCount = 0;
    for (const auto& file : {"cmake/kespPython.cmake", "tests/notebooks/CMakeLists.txt"}) {
        std::ifstream in(sourceDir / file);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::sregex_iterator match(text.begin(), text.end(), named), end; match != end; ++match) {
            std::istringstream names((*match)[1].str());
            for (std::string name; std::getline(names >> std::ws, name, ',');) {
                ++namedCount;
                EXPECT_TRUE(everything.count(name)) << name << " (named in " << file << ")";
            }
        }
    }
    EXPECT_GE(namedCount, 5);
}

// Run from a checkout, the folder holds build/ (which Python would import as
// the module build) and maybe files named like a module: neither they nor
// PYTHONPATH may pass for an installed package, nor hide one.
TEST(InstallDependencies, missingPackagesDoNotDependOnTheFolder)
{
    const std::filesystem::path plain = makeRunDirectory("kesp-installDependencies-plain");
    const RunResult expected = runExecutable(script, plain, {"--missing", "python"}, 60);
    ASSERT_EQ(expected.exitStatus, 0);

    const std::filesystem::path decoys = makeRunDirectory("kesp-installDependencies-decoys");
    std::filesystem::create_directories(decoys / "build");
    std::filesystem::create_directories(decoys / "pandas");
    for (const char* module : {"numpy", "tqdm", "pybind11", "ensurepip", "pip", "sysconfig"}) {
        std::ofstream(decoys / (std::string(module) + ".py")) << "raise ImportError('a decoy')\n";
    }
    const RunResult fromDecoys = runExecutable(
        "/usr/bin/env", decoys, {"PYTHONPATH=" + decoys.string(), script.string(), "--missing", "python"}, 60);
    EXPECT_EQ(fromDecoys.exitStatus, 0);
    EXPECT_EQ(fromDecoys.console, expected.console);
    EXPECT_TRUE(fromDecoys.errors.empty());
}

TEST(InstallDependencies, helpAndRefusal)
{
    const RunResult help = runScript({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    std::string helpText;
    for (const std::string& line : help.console) {
        helpText += line + "\n";
    }
    for (const std::string& purpose : purposes) {
        EXPECT_NE(helpText.find("  " + purpose + " "), std::string::npos) << purpose;
    }
    // An unknown purpose, alone or after known ones, with or without --list:
    // refused with status 2, saying which, before anything is done.
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"testes"}, {"program", "testes"}, {"--list", "testes"}, {"--missing", "testes"}, {"--list", "--help"}}) {
        const RunResult run = runScript(arguments);
        EXPECT_EQ(run.exitStatus, 2) << arguments.back();
        EXPECT_TRUE(run.console.empty()) << arguments.back();
        ASSERT_EQ(run.errors.size(), 1u) << arguments.back();
        EXPECT_NE(run.errors[0].find("unknown purpose '" + arguments.back() + "'"), std::string::npos);
    }
}

}  // namespace
}  // namespace kesp
