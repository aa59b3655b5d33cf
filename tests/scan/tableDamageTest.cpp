// A table taken up again, by a resumed scan or by merge, is checked row by
// row: a row with a field too many or too few, a garbage line, an
// unterminated quote, a line end of another system, a row out of place or
// repeated is refused naming its file and line (exit 2), and nothing is
// written. Merge writes only a regular file, and takes no heading's claim
// of more rows or parts than a scan may have.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

// Four rows: two particles at two energies, with a reference run.
constexpr const char* fourRows = "title: damage\ncells: 4\nseed: 2\nvary:\n  PAR: [p, 4He]\n  KE: [5, 20]\n"
                                 "reference: {PAR: e, KE: 1}\n";

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A row as it waits for its reference run: without its last two fields.
std::string withoutRbe(const std::string& row)
{
    return row.substr(0, row.rfind(',', row.rfind(',') - 1));
}

class TableDamageTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeRunDirectory("kespTableDamage");
        writeText(dir_ / "scan.yaml", fourRows);
        ASSERT_EQ(runScan(dir_, {"-o", "whole.csv", "scan.yaml"}).exitStatus, 0);
        whole_ = linesOf(readText(dir_ / "whole.csv"));
        ASSERT_EQ(whole_.size(), 6U);
        columns_ = splitFields(whole_[1]).size();
    }

    // The refusal's first line, after checking the exit status and that the
    // table was left as it was.
    std::string refusalOf(const std::vector<std::string>& arguments, const fs::path& unchanged)
    {
        const std::string before = readText(unchanged);
        const RunResult refused = runScan(dir_, arguments);
        EXPECT_EQ(refused.exitStatus, 2) << allLines(refused.errors);
        EXPECT_EQ(readText(unchanged), before);
        return refused.errors.empty() ? std::string() : refused.errors[0];
    }

    fs::path dir_;
    std::vector<std::string> whole_;  // the table of an uninterrupted scan, by lines
    std::size_t columns_ = 0;
};

TEST_F(TableDamageTest, aResumedTableWithADamagedRowIsRefusedNamingTheLine)
{
    const std::vector<std::string>& w = whole_;
    const std::string n = std::to_string(columns_);
    const std::string fix = "; remove the file to start the table afresh, or name another table with -o";
    const std::string comment = w[0] + "\n";
    struct Case {
        std::vector<std::string> table;
        std::string pending;  // empty: no pending file
        std::string message;
    };
    const std::vector<Case> cases{
        {{w[0], w[1], w[2], w[3] + ",1"}, "",
         "scan.csv:4: a damaged row: it holds " + std::to_string(columns_ + 1) + " fields, not " + n + fix},
        {{w[0], w[1], w[2], "garbage"}, "", "scan.csv:4: a damaged row: it holds 1 field, not " + n + fix},
        {{w[0], w[1], "\"" + w[2]}, "", "scan.csv:3: a damaged row: a quote is not closed" + fix},
        {{w[0], w[1], w[2] + "\r", w[3] + "\r"}, "",
         "scan.csv:3: a damaged row: it holds a carriage return (a line end of another system)" + fix},
        {{w[0], w[1], w[3], w[2]}, "",
         "scan.csv:3: a damaged row: it holds the row of p, 20 (switches: none) where the row of p, 5 (switches: "
         "none) belongs (a row out of place, repeated or edited)" + fix},
        {{w[0], w[1], w[2], w[2]}, "",
         "scan.csv:4: a damaged row: it holds the row of p, 5 (switches: none) where the row of p, 20 (switches: "
         "none) belongs (a row out of place, repeated or edited)" + fix},
        {{w[0], w[1], w[2], w[3], w[4], w[5], w[5]}, "",
         "scan.csv:7: a damaged row: a row beyond the 4 of this scan" + fix},
        {{w[0], w[1], w[2]}, comment + "2 0.5 0.1 garbage\n",
         "scan.csv.pending:2: a damaged row: it holds 1 field, not " + std::to_string(columns_ - 2) + fix},
        {{w[0], w[1], w[2]}, comment + "2 0.5 0.1 " + withoutRbe(replaced(w[4], "4He,5", "p,5")) + "\n",
         "scan.csv.pending:2: a damaged row: it holds the row of p, 5 (switches: none) where the row of 4He, 5 "
         "(switches: none) belongs (a row out of place, repeated or edited)" + fix},
        {{w[0], w[1], w[2]}, comment + "garbage\n",
         "scan.csv.pending:2: a damaged row: not a row of this scan waiting for its turn" + fix},
    };
    for (const Case& c : cases) {
        writeText(dir_ / "scan.csv", allLines(c.table));
        fs::remove(dir_ / "scan.csv.pending");
        if (!c.pending.empty()) {
            writeText(dir_ / "scan.csv.pending", c.pending);
        }
        EXPECT_EQ(refusalOf({"scan.yaml"}, dir_ / "scan.csv"), c.message);
    }
}

TEST_F(TableDamageTest, mergeRefusesDamagedPartsAndWritesOnlyARegularFile)
{
    for (const std::string shard : {"1/2", "2/2"}) {
        ASSERT_EQ(runScan(dir_, {"--shard", shard, "scan.yaml"}).exitStatus, 0) << shard;
    }
    const std::string first = "scan.shard-1-of-2.csv";
    const std::string second = "scan.shard-2-of-2.csv";
    const std::vector<std::string> p1 = linesOf(readText(dir_ / first));  // rows 1 and 3 of the scan
    const std::vector<std::string> p2 = linesOf(readText(dir_ / second)); // rows 2 and 4
    ASSERT_EQ(p1.size(), 4U);
    ASSERT_EQ(p2.size(), 4U);
    const std::string rerun = "; run the part again to write it afresh";
    const std::string outOfOrder = " in one scan (a row out of place, repeated or edited); run the parts again to "
                                   "write them afresh";
    struct Case {
        std::vector<std::string> part;  // in place of the first part
        std::string message;
    };
    const std::vector<Case> cases{
        {{p1[0], p1[1], p1[2], p1[2]},
         "kesp-scan merge: rows out of the scan's order: " + second + ":4 (4He, 20 (switches: none)) cannot follow "
             + "part.csv:4 (p, 5 (switches: none))" + outOfOrder},
        {{p1[0], p1[1], p1[3], p1[2]},
         "kesp-scan merge: rows out of the scan's order: " + second + ":3 (p, 20 (switches: none)) cannot follow "
             + "part.csv:3 (4He, 5 (switches: none))" + outOfOrder},
        {{p1[0], p1[1], p1[2] + ",x", p1[3]},
         "kesp-scan merge: part.csv:3: a damaged row: it holds " + std::to_string(columns_ + 1) + " fields, not "
             + std::to_string(columns_) + rerun},
        {{p1[0], p1[1], p1[2], p1[3] + "\r"},
         "kesp-scan merge: part.csv:4: a damaged row: it holds a carriage return (a line end of another system)"
             + rerun},
        {{replaced(p1[0], " | rows: 4 |", " | rows: 1000000000 |"), p1[1], p1[2], p1[3]},
         "kesp-scan merge: part.csv: damaged: its first line claims 1000000000 rows, more than a scan may have "
         "(1000000)"},
        {{replaced(p1[0], " | shard: 1/2 |", " | shard: 1/100000000000 |"), p1[1], p1[2], p1[3]},
         "kesp-scan merge: part.csv: damaged: its first line names part 1/100000000000, not a part I of N with "
         "1 <= I <= N <= 1000000"},
    };
    for (const Case& c : cases) {
        writeText(dir_ / "part.csv", allLines(c.part));
        EXPECT_EQ(refusalOf({"merge", "merged.csv", "part.csv", second}, dir_ / "part.csv"), c.message);
        EXPECT_FALSE(fs::exists(dir_ / "merged.csv"));
    }

    // With the scan file, rows are checked against their configurations:
    // both parts' rows swapped still make a scan of all combinations (4He
    // before p), but not of this scan; and parts of another scan are refused.
    writeText(dir_ / "swapped.csv", allLines({p2[0], p2[1], p2[3], p2[2]}));
    writeText(dir_ / "part.csv", allLines({p1[0], p1[1], p1[3], p1[2]}));
    writeText(dir_ / "other.yaml", replaced(fourRows, "seed: 2", "seed: 3"));
    const std::vector<std::pair<std::vector<std::string>, std::string>> againstScan{
        {{"merge", "--scan", "scan.yaml", "merged.csv", "part.csv", "swapped.csv"},
         "kesp-scan merge: part.csv:3: a damaged row: it holds the row of 4He, 5 (switches: none) where the row of "
         "p, 5 (switches: none) belongs (a row out of place, repeated or edited)" + rerun},
        {{"merge", "--scan", "other.yaml", "merged.csv", first, second},
         "kesp-scan merge: " + first + ": a part of another scan than other.yaml, or of it before it changed (its "
         "fingerprint differs)"},
    };
    for (const auto& [arguments, message] : againstScan) {
        EXPECT_EQ(refusalOf(arguments, dir_ / "part.csv"), message);
        EXPECT_FALSE(fs::exists(dir_ / "merged.csv"));
    }

    // Outputs that are not regular files; a device node (made here, as root
    // may) like /dev/null.
    fs::create_directory(dir_ / "folder");
    ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0644), 0);
    std::vector<std::string> outputs{"folder", "pipe"};
    if (mknod((dir_ / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        outputs.emplace_back("null");
    }
    for (const std::string& out : outputs) {
        EXPECT_EQ(refusalOf({"merge", out, first, second}, dir_ / first),
                  "kesp-scan merge: " + out + ": it exists and is not a regular file; name another table to write");
        EXPECT_EQ(refusalOf({"-o", out, "scan.yaml"}, dir_ / first),
                  out + ": it exists and is not a regular file; name another table with -o");
        EXPECT_FALSE(fs::is_regular_file(dir_ / out)) << out;
    }
    const RunResult merged = runScan(dir_, {"merge", "--scan", "scan.yaml", "merged.csv", first, second});
    EXPECT_EQ(merged.exitStatus, 0) << allLines(merged.errors);
    EXPECT_EQ(readText(dir_ / "merged.csv"), readText(dir_ / "whole.csv"));
}

}  // namespace
