// kesp-scan with a survival block: its columns follow the table's own, the
// rest of the table stays as it is without the block, the reference
// radiation has an RBE of 1 and its measured alpha and beta in air; a wrong
// block is refused naming the line; parts of the scan merge, and rows kept
// while they wait for their turn resume, to the table of one run.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "scan/scanHarness.h"
#include "scan/tableFile.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

constexpr const char* baseScan = "title: survival\ncells: 12\nseed: 21\nvary:\n  PAR: [e, p]\n  KE: [1, 10]\n"
                                 "  PO2: [21, 0.5]\nreference: {PAR: e, KE: 1}\n";
constexpr const char* survivalBlock = "survival:\n  alpha: 0.2\n  alpha_beta: 10\n  doses: [2, 0.5]\n"
                                      "  survival: [0.1]\n";

bool startsWith(const std::vector<std::string>& lines, const std::string& start)
{
    for (const std::string& line : lines) {
        if (line.starts_with(start)) {
            return true;
        }
    }
    return false;
}

TEST(ScanSurvivalTest, theBlockAddsItsColumnsAfterTheOthersAndChangesNoneOfThem)
{
    const fs::path dir = makeRunDirectory("kespScanSurvival");
    writeText(dir / "without.yaml", baseScan);
    writeText(dir / "with.yaml", std::string(baseScan) + survivalBlock);
    ASSERT_EQ(runScan(dir, {"without.yaml"}).exitStatus, 0);
    const RunResult run = runScan(dir, {"-j", "2", "with.yaml"});
    ASSERT_EQ(run.exitStatus, 0) << allLines(run.errors);
    const Table without = readTable(dir / "without.csv");
    const Table with = readTable(dir / "with.csv");
    const std::vector<std::string> added{
        "alpha_per_gy",        "alpha_per_gy_sem",        "beta_per_gy2",
        "beta_per_gy2_sem",    "rbe_low_dose",            "rbe_low_dose_sem",
        "rbe_high_dose",       "rbe_high_dose_sem",       "rbe_at_reference_dose_2gy",
        "rbe_at_reference_dose_2gy_sem", "rbe_at_reference_dose_0.5gy", "rbe_at_reference_dose_0.5gy_sem",
        "rbe_at_survival_0.1", "rbe_at_survival_0.1_sem", "oer_low_dose",
        "oer_low_dose_sem",    "oer_high_dose",           "oer_high_dose_sem",
        "oer_at_survival_0.1", "oer_at_survival_0.1_sem"};
    std::vector<std::string> columns = without.columns;
    columns.insert(columns.end(), added.begin(), added.end());
    EXPECT_EQ(with.columns, columns);
    ASSERT_EQ(with.rows.size(), 8U);
    for (std::size_t row = 0; row < with.rows.size(); ++row) {
        ASSERT_EQ(with.rows[row].size(), columns.size()) << row;
        EXPECT_TRUE(std::equal(without.rows[row].begin(), without.rows[row].end(), with.rows[row].begin())) << row;
        for (const std::string& column : added) {
            EXPECT_FALSE(with.field(row, column).empty()) << column << " of row " << row + 1;
        }
    }
    // Rows 1 and 2: 1 MeV electrons in air and hypoxic, the reference itself.
    for (std::size_t row : {0U, 1U}) {
        for (const char* rbe : {"rbe_low_dose", "rbe_high_dose", "rbe_at_reference_dose_2gy",
                                "rbe_at_reference_dose_0.5gy", "rbe_at_survival_0.1"}) {
            EXPECT_NEAR(numberIn(with.field(row, rbe)), 1.0, 1e-12) << rbe << " of row " << row + 1;
        }
    }
    EXPECT_NEAR(numberIn(with.field(0, "alpha_per_gy")), 0.2, 1e-12);
    EXPECT_NEAR(numberIn(with.field(0, "beta_per_gy2")), 0.02, 1e-12);  // alpha / (alpha/beta)
    // Hypoxic cells survive better: the OER exceeds 1 and alpha falls.
    EXPECT_GT(numberIn(with.field(1, "oer_at_survival_0.1")), 1.0);
    EXPECT_EQ(with.field(0, "oer_at_survival_0.1"), with.field(1, "oer_at_survival_0.1"));
    EXPECT_LT(numberIn(with.field(1, "alpha_per_gy")), 0.2);
}

// The example of the scans guide runs in seconds and fills every column.
TEST(ScanSurvivalTest, theExampleScanGivesEveryColumn)
{
    const fs::path dir = makeRunDirectory("kespScanSurvivalExample");
    const fs::path example = fs::path(KESP_SOURCE_DIR) / "examples" / "scans" / "cellSurvival.yaml";
    const RunResult run = runScan(dir, {"-o", "table.csv", example.string()});
    ASSERT_EQ(run.exitStatus, 0) << allLines(run.errors);
    const Table table = readTable(dir / "table.csv");
    ASSERT_EQ(table.rows.size(), 8U);
    const std::size_t first = table.columnOf("alpha_per_gy");
    ASSERT_EQ(table.columns.back(), "oer_at_survival_0.1_sem");
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        for (std::size_t i = first; i < table.columns.size(); ++i) {
            const std::string& field = table.rows[row][i];
            EXPECT_FALSE(field.empty()) << table.columns[i] << " of row " << row + 1;
            EXPECT_EQ(field.find_first_of("ni"), std::string::npos) << table.columns[i] << ": " << field;
        }
    }
    // Carbon ions at 2 MeV/u kill more than protons, in air and hypoxic.
    EXPECT_GT(numberIn(table.field(4, "rbe_low_dose")), numberIn(table.field(0, "rbe_low_dose")));
    EXPECT_LT(numberIn(table.field(4, "oer_low_dose")), numberIn(table.field(0, "oer_low_dose")));
}

TEST(ScanSurvivalTest, aWrongBlockIsRefusedNamingFileAndLine)
{
    const fs::path dir = makeRunDirectory("kespScanSurvivalRefusal");
    const std::string head = "cells: 4\nvary:\n  PAR: [p]\n  KE: [10]\n";  // lines 1-4
    const std::string reference = "reference: {PAR: e, KE: 1}\n";         // line 5
    struct Case {
        std::string text;
        const char* error;  // a line of the errors starts with it
    };
    const std::vector<Case> cases{
        {head + "survival: {alpha: 0.2, beta: 0.02}\n", "scan.yaml:5: survival: the RBE and the cell parameters need"},
        {head + reference + "survival:\n  alpha: -1\n  beta: 0.02\n", "scan.yaml:7: survival: alpha: -1 must be 0"},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0\n", "scan.yaml:8: survival: beta: 0 must be above 0"},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0.02\n  alpha_beta: 10\n",
         "scan.yaml:9: survival: alpha_beta: beta is given as well (line 8)"},
        {head + reference + "survival:\n  alpha: 0.2\n", "scan.yaml:6: survival: give beta (Gy^-2) or alpha_beta"},
        {head + reference + "survival:\n  beta: 0.02\n", "scan.yaml:6: survival: give alpha (Gy^-1)"},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0.02\n  doses:\n    - 2\n    - -1\n",
         "scan.yaml:11: survival: doses: Cell survival: a reference dose of -1 Gy must be above 0."},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0.02\n  survival: [0.1, 1]\n",
         "scan.yaml:9: survival: survival: Cell survival: a survival level of 1 lies outside (0, 1)."},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0.02\n  survival: [0.1, 0.1]\n",
         "scan.yaml:9: survival: survival: 0.1 is given twice"},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0.02\n  dose: [2]\n",
         "scan.yaml:9: survival: \"dose\" is not a part of the survival block"},
        {head + reference + "survival:\n  alpha: x\n  beta: 0.02\n", "scan.yaml:7: survival: alpha: \"x\" is not a number"},
        {head + reference + "survival:\n  alpha: 0.2\n  beta: 0.02\n  doses: 2\n",
         "scan.yaml:9: survival: doses: give a list of numbers"},
        {head + reference + "survival: 3\n", "scan.yaml:6: survival: must be a mapping"},
    };
    for (const Case& c : cases) {
        writeText(dir / "scan.yaml", c.text);
        const RunResult run = runScan(dir, {"--check", "scan.yaml"});
        EXPECT_EQ(run.exitStatus, 2) << c.text;
        EXPECT_TRUE(startsWith(run.errors, c.error)) << c.text << "\n" << allLines(run.errors);
        EXPECT_FALSE(fs::exists(dir / "scan.csv"));
    }
    writeText(dir / "scan.yaml", head + reference + "survival:\n  alpha: 0.2\n  alpha_beta: 10\n");
    const RunResult accepted = runScan(dir, {"--check", "scan.yaml"});
    EXPECT_EQ(accepted.exitStatus, 0) << allLines(accepted.errors);
}

// Mixed fields, whose alpha and beta need each component's yield, with the
// oxygen level varying slowest: the hypoxic rows of a part need the
// reference run in air, which none of its rows runs for its RBE.
constexpr const char* mixedScan = "title: parts\ncells: 16\nseed: 4\nvary:\n  PO2: [0.5, 21]\n"
                                  "  FN: [light.txt, heavy.txt]\n  DNA: [6, 3]\nreference: {PAR: e, KE: 1}\n"
                                  "survival: {alpha: 0.15, beta: 0.05, survival: [0.5, 0.01]}\n";

TEST(ScanSurvivalTest, partsMergedGiveTheWholeTable)
{
    const fs::path dir = makeRunDirectory("kespScanSurvivalShard");
    writeText(dir / "light.txt", "protons and helium ions\n2\np 10 0.7\n4He 20 0.3\n");
    writeText(dir / "heavy.txt", "carbon and protons\n2\n12C 120 0.5\np 5 0.5\n");
    writeText(dir / "scan.yaml", mixedScan);
    const RunResult whole = runScan(dir, {"-j", "2", "-o", "whole.csv", "scan.yaml"});
    ASSERT_EQ(whole.exitStatus, 0) << allLines(whole.errors);
    const Table table = readTable(dir / "whole.csv");
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        EXPECT_FALSE(table.field(row, "oer_at_survival_0.01").empty()) << row;
        EXPECT_FALSE(table.field(row, "rbe_at_reference_dose_2gy").empty()) << row;
    }
    std::vector<std::string> arguments{"merge", "merged.csv"};
    for (const char* shard : {"1/3", "2/3", "3/3"}) {
        const RunResult part = runScan(dir, {"--shard", shard, "-j", "2", "scan.yaml"});
        ASSERT_EQ(part.exitStatus, 0) << shard << "\n" << allLines(part.errors);
        arguments.push_back(std::string("scan.shard-") + shard[0] + "-of-3.csv");
    }
    ASSERT_EQ(runScan(dir, arguments).exitStatus, 0);
    EXPECT_EQ(readText(dir / "merged.csv"), readText(dir / "whole.csv"));
}

bool sameSources(const RowSources& a, const RowSources& b)
{
    bool equal = a.withSem == b.withSem && a.sources.size() == b.sources.size();
    for (std::size_t i = 0; equal && i < a.sources.size(); ++i) {
        const DsbSource& x = a.sources[i];
        const DsbSource& y = b.sources[i];
        equal = x.doseFraction == y.doseFraction && x.dsbPerCellPerGy == y.dsbPerCellPerGy
                && x.dsbPerCellPerGySem == y.dsbPerCellPerGySem && x.zFGy == y.zFGy;
    }
    return equal;
}

// A row kept in the pending file while it waits for its turn keeps its DSB
// sources exactly, so that its survival fields are those of the run.
TEST(ScanSurvivalTest, aRowWaitingForItsTurnKeepsItsSourcesExactly)
{
    const fs::path dir = makeRunDirectory("kespScanSurvivalPending");
    const RowLayout layout{4, 1, [](std::size_t) { return std::vector<std::string>{"p", ""}; }, true};
    const std::string heading = "# kesp-scan test | rows: 3\nPAR,switches,a,b\n";
    const RowSources mixed{{DsbSource{0.7, 41.25, 0.1 / 3.0, 0.0123}, DsbSource{0.3, 1e-300, 0.0, 7.0}}, true};
    const RowSources oneCell{{DsbSource{1.0, 12.5, 0.0, 0.2}}, false};
    {
        TableFile table(dir / "t.csv", heading, 3, layout);
        table.holdRow(1, PendingRow{"p,,1", 2.0, 0.5, mixed});
        table.holdRow(2, PendingRow{"p,,2", std::nullopt, std::nullopt, oneCell});
    }
    {
        const TableFile resumed(dir / "t.csv", heading, 3, layout);
        ASSERT_EQ(resumed.rowsAhead().size(), 2U);
        EXPECT_TRUE(sameSources(resumed.rowsAhead().at(1).dsbSources, mixed));
        EXPECT_TRUE(sameSources(resumed.rowsAhead().at(2).dsbSources, oneCell));
        EXPECT_EQ(resumed.rowsAhead().at(2).text, "p,,2");
    }
    // A line whose sources are damaged is refused, naming it.
    writeText(dir / "t.csv.pending", "# kesp-scan test | rows: 3\n1 2 0.5 s0.7:41.25 p,,1\n");
    try {
        const TableFile damaged(dir / "t.csv", heading, 3, layout);
        ADD_FAILURE() << "a damaged pending line was taken";
    } catch (const ScanRefused& refusal) {
        EXPECT_TRUE(std::string(refusal.what()).find("t.csv.pending:2: a damaged row") != std::string::npos)
            << refusal.what();
    }
}

}  // namespace
