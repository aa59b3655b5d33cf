// A run asked for through a request: the golden reports out of an input
// text, the same run from settings in code, the strict refusal in each
// front end's words, the bound on an input file's size, and the outcome of
// a run that is stopped or fails.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "kesp/input/inputReader.h"
#include "kesp/report/runRequest.h"

namespace kesp {
namespace {

namespace fs = std::filesystem;

const fs::path source(KESP_SOURCE_DIR);

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string withTimeMasked(const std::string& report)
{
    static const std::regex timeLine(R"(\n +[0-9]+\.[0-9]{3}     running time \(min\)\n)");
    return std::regex_replace(report, timeLine, "\n      #.###     running time (min)\n");
}

RunRequest inputRequest(std::string text, std::string name = "run.inp")
{
    RunRequest request;
    request.source = InputText{std::move(text), std::move(name)};
    return request;
}

// A run of two cells of a heavy ion, cheap and without warnings.
const std::string cheapRun = "SIMCON: NOCS=2 SEED=99\nRADX: PAR=56Fe KE=5600\n";
// A misspelt particle, which the reader warns of.
const std::string warnedRun = "SIMCON: NOCS=2 SEED=7\nRADX: PAR=carbo KE=1\n";

TEST(RunRequestTest, anInputTextGivesTheGoldenReport)
{
    for (const std::string name : {"electron1MeV", "dmsoElectron"}) {
        SCOPED_TRACE(name);
        const fs::path input = source / "examples" / (name + ".inp");
        NoProgress quiet;
        const RunOutcome outcome = runRequest(inputRequest(fileText(input), input.string()), quiet);
        ASSERT_FALSE(outcome.error) << outcome.error->what();
        ASSERT_TRUE(outcome.report);
        EXPECT_EQ(withTimeMasked(*outcome.report), fileText(source / "tests" / "golden" / (name + ".out")));
        EXPECT_FALSE(outcome.json);  // not asked for
        EXPECT_FALSE(outcome.message);
        EXPECT_TRUE(outcome.interruption.empty());
    }
}

// The same settings, read from a text or made in code, run the same cells.
TEST(RunRequestTest, settingsInCodeRunAsTheInputTheyCameFrom)
{
    std::istringstream text(cheapRun);
    CodeSettings code{readInput(text), std::nullopt};
    RunRequest fromCode;
    fromCode.source = code;
    const RunProvenance provenance{"kesp", "test", "run.inp", std::string(64, 'a'), {"/json"}};
    fromCode.provenance = provenance;
    RunRequest fromText = inputRequest(cheapRun);
    fromText.provenance = provenance;
    fromText.threads = 1;
    NoProgress quiet;
    const RunOutcome a = runRequest(fromCode, quiet);
    const RunOutcome b = runRequest(fromText, quiet);
    ASSERT_TRUE(a.report && b.report && a.json && b.json);
    EXPECT_EQ(withTimeMasked(*a.report), withTimeMasked(*b.report));
    EXPECT_EQ(b.settings->threads, 1U);
    EXPECT_EQ(a.results->cellsSimulated, 2);
    EXPECT_NE(a.json->find("\"sha256\": \"" + std::string(64, 'a') + "\""), std::string::npos);
}

struct RefusalCase {
    std::string name;
    bool fromInput;
    OutcomeWording wording;
    std::vector<std::string> callerWarnings;
    std::string refusal;  // empty: none
};

TEST(RunRequestTest, strictRefusesWarningsInTheWordsOfEachFrontEnd)
{
    const std::string program = "Run refused: /strict is given and ";
    const std::string onStderr = " warnings (on the standard error stream)";
    const std::vector<RefusalCase> cases = {
        {"input", true, OutcomeWording::program, {}, program + "the input holds" + onStderr},
        {"inputAndCommandLine", true, OutcomeWording::program, {"w"}, program + "the command line and the input hold" + onStderr},
        {"page", true, OutcomeWording::page, {}, "Run refused: /strict is given and the input holds warnings"},
        {"library", true, OutcomeWording::library, {}, "Run refused: strict is given and the input holds warnings"},
        {"settingsRead", false, OutcomeWording::library, {}, "Run refused: strict is given and the settings hold warnings"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunRequest request = inputRequest(warnedRun);
        if (!c.fromInput) {
            // Settings read before, with what the reader said of them.
            const RunOutcome read = checkRequest(inputRequest(warnedRun));
            request.source = CodeSettings{*read.settings, read.diagnostics};
        }
        request.wording = c.wording;
        request.callerWarnings = c.callerWarnings;
        request.switches.strict = true;
        NoProgress quiet;
        const RunOutcome refused = runRequest(request, quiet);
        EXPECT_EQ(refused.refusal.value_or(""), c.refusal);
        EXPECT_FALSE(refused.results);
        EXPECT_FALSE(refused.mayRun());
        ASSERT_FALSE(refused.diagnostics.empty());
        EXPECT_EQ(refused.diagnostics[0].line, 2);
        // Without strict the same request runs, warnings and all.
        request.switches.strict = false;
        const RunOutcome lenient = runRequest(request, quiet);
        EXPECT_FALSE(lenient.refusal);
        EXPECT_TRUE(lenient.report);
        EXPECT_EQ(lenient.diagnostics, refused.diagnostics);
    }
    // The caller's warnings alone refuse too; a clean input does not.
    RunRequest commandLine = inputRequest(cheapRun);
    commandLine.switches.strict = true;
    EXPECT_FALSE(checkRequest(commandLine).refusal);
    commandLine.callerWarnings = {"command line: warning"};
    EXPECT_EQ(checkRequest(commandLine).refusal, program + "the command line holds" + onStderr);
}

TEST(RunRequestTest, anInputPastItsSizeIsRefusedUnreadNamingTheFileAndTheLimit)
{
    struct SizeCase {
        std::string name;
        std::string text;
        std::string message;  // empty: taken
    };
    const std::string blankLines(inputLineLimit, '\n');
    const std::vector<SizeCase> cases = {
        {"linesAtTheLimit", blankLines, ""},
        {"oneLineMore", blankLines + "x", "Input file big.inp holds more than 10000 lines"},
        {"bytesAtTheLimit", std::string(inputByteLimit, 'x'), ""},
        {"oneByteMore", std::string(inputByteLimit + 1, 'x'), "Input file big.inp is larger than 4194304 bytes"},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RunOutcome outcome = checkRequest(inputRequest(c.text, "big.inp"));
        if (c.message.empty()) {
            EXPECT_FALSE(outcome.error) << outcome.error->what();
            continue;
        }
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->kind(), ErrorKind::input);
        EXPECT_EQ(std::string(outcome.error->what()).rfind(c.message, 0), 0U) << outcome.error->what();
        EXPECT_FALSE(outcome.settings);
    }
}

TEST(RunRequestTest, loadingAFileTellsEachWayItCannotBeRead)
{
    const fs::path dir = fs::temp_directory_path() / ("kespRequest-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "small.inp") << cheapRun;
    std::ofstream(dir / "large.inp") << std::string(inputByteLimit + 100, ' ');
    const struct {
        std::string name;
        InputFileAccess access;
        std::string message;
    } cases[] = {
        {"small.inp", InputFileAccess::read, ""},
        {"none.inp", InputFileAccess::missing, " is not found"},
        {"", InputFileAccess::notReadable, " is not a readable file"},  // the folder itself
        {"large.inp", InputFileAccess::tooLarge, " is larger than 4194304 bytes (4 MiB)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = (dir / c.name).string();
        InputText input;
        EXPECT_EQ(loadInputText(name, input), c.access);
        EXPECT_EQ(input.name, name);
        EXPECT_LE(input.text.size(), inputByteLimit + 1);
        const std::string message = inputAccessMessage(c.access, input);
        EXPECT_EQ(message.rfind("Input file " + name + c.message, 0), c.message.empty() ? std::string::npos : 0U)
            << message;
        if (c.access == InputFileAccess::read) {
            EXPECT_EQ(input.text, cheapRun);
        }
    }
    fs::remove_all(dir);
}

// A stop before the first cell gives no report, in each front end's words;
// a run that cannot be set up gives its error with the reader's diagnostics.
TEST(RunRequestTest, aStoppedOrFailedRunGivesNoReportAndSaysWhy)
{
    const StopFlag stopped{true};
    NoProgress quiet;
    for (const auto& [wording, message] :
         {std::pair{OutcomeWording::program, "Run interrupted before its first cell; no report is written"},
          std::pair{OutcomeWording::page, "Run interrupted before its first cell; no report"}}) {
        RunRequest request = inputRequest(cheapRun);
        request.wording = wording;
        const RunOutcome outcome = runRequest(request, quiet, stopped);
        EXPECT_EQ(outcome.message, message);
        EXPECT_FALSE(outcome.report);
        ASSERT_TRUE(outcome.results);
        EXPECT_TRUE(outcome.results->interrupted);
    }
    RunRequest noCells;
    RunSettings settings;
    settings.cells = 0;
    noCells.source = CodeSettings{settings, std::nullopt};
    const RunOutcome failed = runRequest(noCells, quiet);
    ASSERT_TRUE(failed.error);
    EXPECT_EQ(failed.error->kind(), ErrorKind::input);
    EXPECT_FALSE(failed.report);
    // A broken field file, looked for beside the input the text was read from.
    const fs::path dir = fs::temp_directory_path() / ("kespRequestField-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "broken.txt") << "nonsense here\n";
    const RunOutcome brokenField =
        checkRequest(inputRequest("SIMCON: NOCS=2 SEED=7\nRADX: FN=broken.txt\n", (dir / "run.inp").string()));
    fs::remove_all(dir);
    ASSERT_TRUE(brokenField.error);
    EXPECT_EQ(brokenField.error->kind(), ErrorKind::input);
    EXPECT_EQ(std::string(brokenField.error->what()).rfind("Field file ", 0), 0U) << brokenField.error->what();
    EXPECT_FALSE(brokenField.settings);
}

}  // namespace
}  // namespace kesp
