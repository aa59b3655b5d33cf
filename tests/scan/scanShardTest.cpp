// A scan run in parts (--shard I/N) and joined with `kesp-scan merge` gives
// byte for byte the table of one kesp-scan run; merge refuses parts that do
// not make up one whole scan and writes nothing then.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

constexpr const char* smallScan = "title: parts\ncells: 20\nseed: 9\nvary:\n  PAR: [p, 4He]\n  KE: [5, 20]\n"
                                  "  PO2: [21, 0.5]\nreference: {PAR: e, KE: 1}\n";

class ScanShardTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeRunDirectory("kespScanShard");
        writeText(dir_ / "scan.yaml", smallScan);
        ASSERT_EQ(runScan(dir_, {"-o", "whole.csv", "scan.yaml"}).exitStatus, 0);
    }

    // Runs part I of N into its default table and returns that table's name.
    std::string runPart(std::size_t index, std::size_t count)
    {
        const std::string shard = std::to_string(index) + "/" + std::to_string(count);
        const RunResult part = runScan(dir_, {"--shard", shard, "-j", "1", "scan.yaml"});
        EXPECT_EQ(part.exitStatus, 0) << shard << "\n" << allLines(part.errors);
        return "scan.shard-" + std::to_string(index) + "-of-" + std::to_string(count) + ".csv";
    }

    RunResult merge(const std::vector<std::string>& parts)
    {
        std::vector<std::string> arguments{"merge", "merged.csv"};
        arguments.insert(arguments.end(), parts.begin(), parts.end());
        return runScan(dir_, arguments);
    }

    fs::path dir_;
};

TEST_F(ScanShardTest, partsMergedInAnyOrderGiveTheWholeTable)
{
    // Three parts of eight rows, and more parts than rows (some empty).
    for (const std::size_t count : {3U, 10U}) {
        std::vector<std::string> parts;
        for (std::size_t index = count; index >= 1; --index) {
            parts.push_back(runPart(index, count));
        }
        const RunResult merged = merge(parts);
        EXPECT_EQ(merged.exitStatus, 0) << allLines(merged.errors);
        EXPECT_EQ(readText(dir_ / "merged.csv"), readText(dir_ / "whole.csv")) << count << " parts";
        EXPECT_TRUE(hasLine(merged.console,
                            "kesp-scan: merged.csv: 8 rows from " + std::to_string(count) + " parts"));
    }
    EXPECT_EQ(readTable(dir_ / "scan.shard-9-of-10.csv").rows.size(), 0U);
    EXPECT_EQ(readTable(dir_ / "scan.shard-2-of-3.csv").rows.size(), 3U);
}

TEST_F(ScanShardTest, partsThatDoNotMakeUpTheScanAreRefused)
{
    const std::string first = runPart(1, 3);
    const std::string second = runPart(2, 3);
    const std::string third = runPart(3, 3);
    const std::string ofFour = runPart(1, 4);
    const std::string text = readText(dir_ / third);
    writeText(dir_ / "unfinished.csv", text.substr(0, text.rfind('\n', text.size() - 2) + 1));
    writeText(dir_ / "other.yaml", std::string(smallScan).replace(std::string(smallScan).find("seed: 9"), 7,
                                                                  "seed: 1"));
    ASSERT_EQ(runScan(dir_, {"--shard", "3/3", "-o", "other.csv", "other.yaml"}).exitStatus, 0);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals{
        {{first, second}, "kesp-scan merge: part 3 of 3 missing; give the tables of all parts"},
        {{first, second, third, first}, "kesp-scan merge: " + first + ": part 1 again, as " + first + " is"},
        {{first, second, "unfinished.csv"},
         "kesp-scan merge: unfinished.csv: unfinished: it holds 1 of the 2 rows of part 3/3; run kesp-scan "
         "--shard 3/3 again to finish it"},
        {{first, second, "other.csv"},
         "kesp-scan merge: other.csv: a part of another scan than " + first + " (its first two lines differ)"},
        {{first, second, ofFour}, "kesp-scan merge: " + ofFour + ": a part of 4, but " + first + " of 3"},
        {{first, second, "whole.csv"},
         "kesp-scan merge: whole.csv: the table of a whole scan, not a part made with --shard"},
        {{first, second, "nosuch.csv"}, "kesp-scan merge: nosuch.csv: not found"},
        {{first, second, "scan.yaml"}, "kesp-scan merge: scan.yaml: not a table of kesp-scan"},
    };
    for (const auto& [parts, message] : refusals) {
        const RunResult refused = merge(parts);
        EXPECT_EQ(refused.exitStatus, 2) << message;
        EXPECT_TRUE(hasLine(refused.errors, message)) << allLines(refused.errors);
        EXPECT_FALSE(fs::exists(dir_ / "merged.csv")) << message;
    }
}

TEST_F(ScanShardTest, aPartResumesLikeAWholeScanAndIsNotMixedWithAnother)
{
    const std::string part = runPart(2, 3);
    const std::string done = readText(dir_ / part);
    const RunResult other = runScan(dir_, {"--shard", "1/3", "-o", part, "scan.yaml"});
    EXPECT_EQ(other.exitStatus, 2);
    EXPECT_EQ(readText(dir_ / part), done);
    writeText(dir_ / part, done.substr(0, done.size() - 30));
    EXPECT_EQ(runPart(2, 3), part);
    EXPECT_EQ(readText(dir_ / part), done);

    // Beyond the most configurations a scan may have, and steps that would
    // wrap around past 2^64.
    for (const std::string bad : {"0/3", "4/3", "3", "a/b", "1/0", "1/100000000000", "3/18446744073709551615"}) {
        const RunResult refused = runScan(dir_, {"--shard", bad, "scan.yaml"});
        EXPECT_EQ(refused.exitStatus, 2) << bad;
        EXPECT_TRUE(
            hasLine(refused.errors, "kesp-scan: --shard: give I/N, part I of N with 1 <= I <= N <= 1000000, as 3/8"))
            << bad << "\n" << allLines(refused.errors);
    }
}

}  // namespace
