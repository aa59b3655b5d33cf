// Every row of a scan is the kesp run of its emitted input file, checked two
// ways on scans of single particles, a mixed field, oxygen and DMSO settings
// and switches:
//  - the real kesp, run on each emitted input file with the scan's switches,
//    prints in its report the row's numbers as the report renders them
//    (E5, E4, F3, whole numbers): a row whose settings, switches, seed or
//    field differ from its input file, or whose columns are mixed up, differs
//    there in its first digits;
//  - the library, reading the same emitted file with kesp's reader in a run
//    of its own (no shared physics, one thread), gives the row's fields
//    exactly, so that nothing hides behind the report's rounding: shared
//    physics, parallel runs and the shortest-text numbers are bit for bit.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/report/scanText.h"
#include "kesp/report/scanPlan.h"
#include "scan/scanFile.h"
#include "kesp/report/scanTable.h"
#include "kesp/support/numberFormat.h"
#include "scan/scanHarness.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

const fs::path examplesDir = fs::path(KESP_SOURCE_DIR) / "examples";

struct IdentityCase {
    const char* name;
    const char* scan;
    const char* fieldFile;  // from examples/, copied next to the scan file; null when none
};

const IdentityCase identityCases[] = {
    {"singleParticles",
     "title: protons and helium ions, oxygen and DMSO\n"
     "cells: 30\n"
     "seed: 4711\n"
     "switches: [/nq]\n"
     "vary:\n"
     "  PAR: [p, 4He]\n"
     "  PO2: [21, 0.5]\n"
     "fixed:\n"
     "  MEV/A: 10\n"
     "  CONC: 0.4\n"
     "  NDIA: 6\n"
     "reference:\n"
     "  PAR: e\n"
     "  KE: 1\n",
     nullptr},
    {"mixedField",
     "title: the example field, aerobic and hypoxic\n"
     "cells: 60\n"
     "vary:\n"
     "  MMHG: [160, 0.76]\n"
     "fixed:\n"
     "  FN: mixedField.txt\n"
     "reference: {PAR: p, KE: 10}\n",
     "mixedField.txt"},
    {"electronsWithoutOxygen",
     "cells: 25\n"
     "seed: 99\n"
     "switches: [/NO2]\n"
     "vary:\n"
     "  NDIA: [5, 8]\n"
     "  CONC: {from: 0, to: 0.1, points: 2}\n"
     "fixed: {PAR: e, KE: 1, DNA: 12, FBL: 0.2, FNSD: 0.3, CHMX: 0.25}\n",
     nullptr},
};

std::vector<std::string> wordsOf(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The index of the first line from `from` on that holds the text; the
// report's size when none does.
std::size_t lineWith(const std::vector<std::string>& report, const std::string& text, std::size_t from = 0)
{
    for (std::size_t i = from; i < report.size(); ++i) {
        if (report[i].find(text) != std::string::npos) {
            return i;
        }
    }
    return report.size();
}

// The first number of the first line that holds the label.
std::string printedBefore(const std::vector<std::string>& report, const std::string& label)
{
    const std::size_t line = lineWith(report, label);
    return line < report.size() ? wordsOf(report[line]).front() : "(no line with " + label + ")";
}

// The field as the report renders it; an empty field is a quantity no cell
// produced, which the report prints as its marker -1.
std::string rendered(const std::string& field, const char* code)
{
    return renderNumber(field.empty() ? noDataMarker : numberIn(field), code).text;
}

struct Rendering {
    const char* column;
    const char* label;  // the text after the number on its report line
    const char* code;   // null: a whole number, printed as written
};

void expectReportShowsRow(const Table& table, std::size_t row, const std::vector<std::string>& report,
                          const std::string& what)
{
    const bool electron = table.field(row, "Z") == "-1";
    std::vector<Rendering> renderings = {
        {"cells", "number of cells (nocs)", nullptr},
        {"seed", "random number seed", nullptr},
    };
    if (table.field(row, "particle") != "field") {
        const std::vector<Rendering> particle = {
            {"ke_mev", " MeV >= ", "E5"},
            {"ke_mev_per_u", electron ? " MeV/u >= " : " MeV/A >= ", "E5"},
            {"zeb", "(zeff/beta)^2 <=", "E5"},
            {"dose_per_fluence_ngy_cm2", "absorbed dose per unit fluence", "E5"},
            {"csda_range_cm", "cm (CSDA range)", "E5"},
            {"let_kev_um", "keV/um (total stopping power)", "E5"},
            {"let_electronic_kev_um", electron ? "% collisional)" : "% electronic)", "E5"},
            {"yf_kev_um", "frequency-mean lineal energy", "E4"},
            {"zf_gy", "frequency-mean specific energy", "E4"},
            {"segment_length_bp", "segment length, nseg", nullptr},
            {"sb_per_cell_gy", "number of strand breaks", nullptr},
            {"bd_per_cell_gy", "number of base damages", nullptr},
        };
        renderings.insert(renderings.end(), particle.begin(), particle.end());
        if (lineWith(report, "chemical repair probability (pcr)") < report.size()) {
            renderings.push_back({"repair_probability", "chemical repair probability (pcr)", "E4"});
        }
    } else {
        // The MXRF TABLE's average row: weight, kinetic energy, per nucleon,
        // zeb, Coll+Nuc, radiative, total, range, DPUF, zf, HRF.
        const std::vector<std::string> average = wordsOf(report[lineWith(report, "  Avg ")]);
        const std::vector<std::pair<const char*, std::size_t>> columns = {
            {"ke_mev", 2}, {"ke_mev_per_u", 3}, {"zeb", 4}, {"let_kev_um", 7},
            {"csda_range_cm", 8}, {"dose_per_fluence_ngy_cm2", 9}};
        ASSERT_EQ(average.size(), 12U) << what;
        for (const auto& [column, word] : columns) {
            EXPECT_EQ(rendered(table.field(row, column), "E3"), average[word]) << what << ", " << column;
        }
        EXPECT_EQ(rendered(table.field(row, "zf_gy"), "E2"), average[10]) << what << ", zf_gy";
    }
    for (const Rendering& r : renderings) {
        const std::string field = table.field(row, r.column);
        EXPECT_EQ(r.code == nullptr ? field : rendered(field, r.code), printedBefore(report, r.label))
            << what << ", " << r.column;
    }
    // TABLE 1's first seven classes, then TABLE 2's "Total" row.
    const std::size_t tableOne = lineWith(report, "TABLE 1.");
    const char* const classes[] = {"pct_bd", "pct_ssb", "pct_ssb_plus", "pct_2ssb",
                                   "pct_dsb", "pct_dsb_plus", "pct_dsb_plus_plus"};
    for (std::size_t k = 0; k < 7; ++k) {
        EXPECT_EQ(rendered(table.field(row, classes[k]), "F3"), wordsOf(report[tableOne + 3 + k]).front())
            << what << ", " << classes[k];
    }
    const std::vector<std::string> total = wordsOf(report[lineWith(report, " Total ", lineWith(report, "TABLE 2."))]);
    const char* const yields[] = {"dsb", "dsb_sem", "ssb", "ssb_sem", "other", "other_sem", "all", "all_sem"};
    ASSERT_EQ(total.size(), 9U) << what;
    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(rendered(table.field(row, yields[k]), "E5"), total[k + 1]) << what << ", " << yields[k];
    }
}

// The library's own run of an emitted input file, with the scan's switches.
RunResults runOwn(const fs::path& input, const ScanDefinition& scan, RunSettings& settings)
{
    RunSwitches switches;
    for (const std::string& word : scan.switches) {
        EXPECT_TRUE(applySwitch(word, switches));
    }
    settings = readInputFile(input, switches);
    NoProgress quiet;
    return simulate(settings, quiet);
}

void PrintTo(const IdentityCase& c, std::ostream* out)
{
    *out << c.name;
}

class ScanIdentityTest : public testing::TestWithParam<IdentityCase> {};

TEST_P(ScanIdentityTest, everyRowIsTheKespRunOfItsInputFile)
{
    const IdentityCase& c = GetParam();
    const fs::path dir = makeRunDirectory(std::string("kespScanIdentity-") + c.name);
    writeText(dir / "scan.yaml", c.scan);
    if (c.fieldFile != nullptr) {
        fs::copy_file(examplesDir / c.fieldFile, dir / c.fieldFile);
    }
    const RunResult scanned = runScan(dir, {"-j", "2", "scan.yaml"});
    ASSERT_EQ(scanned.exitStatus, 0) << allLines(scanned.errors);
    const RunResult emitted = runScan(dir, {"--emit-inputs", "inputs", "scan.yaml"});
    ASSERT_EQ(emitted.exitStatus, 0) << allLines(emitted.errors);
    const Table table = readTable(dir / "scan.csv");
    const ScanPlan plan = planScan(readScanFile(dir / "scan.yaml"), Leniency::strict);
    ASSERT_EQ(table.rows.size(), plan.configurations);
    ASSERT_EQ(table.columns.size(), tableColumns(plan.scan, ScanMode::simulation).size());

    std::vector<std::string> kespArguments{""};
    kespArguments.insert(kespArguments.end(), plan.scan.switches.begin(), plan.scan.switches.end());
    const auto reportOf = [&](const std::string& input) {
        kespArguments.front() = input;
        const RunResult run = runKesp(dir / "inputs", kespArguments);
        EXPECT_EQ(run.exitStatus, 0) << input << "\n" << allLines(run.errors);
        return readTextLines(dir / "inputs" / (input.substr(0, input.size() - 4) + ".out"));
    };
    // A reference run's DSB yield, from the library's own run of its input;
    // its kesp report is checked once.
    std::map<std::string, double> referenceYields;
    const auto referenceDsb = [&](const std::string& input) {
        if (!referenceYields.contains(input)) {
            RunSettings settings;
            const double dsb = runOwn(dir / "inputs" / input, plan.scan, settings).statistics.tables[0].mean[tallyRows][1];
            const std::vector<std::string> report = reportOf(input);
            EXPECT_EQ(rendered(shortestText(dsb), "E5"),
                      wordsOf(report[lineWith(report, " Total ", lineWith(report, "TABLE 2."))])[1])
                << input;
            referenceYields[input] = dsb;
        }
        return referenceYields[input];
    };
    for (std::size_t row = 0; row < plan.configurations; ++row) {
        const std::string input = inputFileNameOf(plan, plan.row(row));
        expectReportShowsRow(table, row, reportOf(input), input);

        RunSettings settings;
        const RunResults own = runOwn(dir / "inputs" / input, plan.scan, settings);
        const RowValues expected =
            rowValues(plan.scan, configurationAt(plan.scan, row), settings, own, ScanMode::simulation);
        // The fields formed from other runs (RBE, OER) come last.
        const auto paired = static_cast<std::ptrdiff_t>(pairedFieldCount(plan.scan, ScanMode::simulation));
        const std::vector<std::string> ownFields(table.rows[row].begin(), table.rows[row].end() - paired);
        EXPECT_EQ(ownFields, expected.fields) << input;
        if (!plan.scan.hasReference()) {
            continue;
        }
        const std::string reference = inputFileNameOf(plan, plan.referenceRun(plan.referenceOfRow[row]));
        EXPECT_EQ(numberIn(table.field(row, "rbe_dsb")), *expected.dsb / referenceDsb(reference)) << input;
    }
}

// The same table whatever the number of jobs, and physics-only rows that
// are the first columns of the full rows.
TEST_P(ScanIdentityTest, oneJobAndPhysicsOnlyGiveTheSameNumbers)
{
    const IdentityCase& c = GetParam();
    const fs::path dir = makeRunDirectory(std::string("kespScanJobs-") + c.name);
    writeText(dir / "scan.yaml", c.scan);
    if (c.fieldFile != nullptr) {
        fs::copy_file(examplesDir / c.fieldFile, dir / c.fieldFile);
    }
    ASSERT_EQ(runScan(dir, {"-j", "2", "scan.yaml"}).exitStatus, 0);
    ASSERT_EQ(runScan(dir, {"--jobs", "1", "-o", "one.csv", "scan.yaml"}).exitStatus, 0);
    ASSERT_EQ(runScan(dir, {"--physics-only", "-o", "physics.csv", "scan.yaml"}).exitStatus, 0);
    EXPECT_EQ(readText(dir / "one.csv"), readText(dir / "scan.csv"));

    const Table full = readTable(dir / "scan.csv");
    const Table physics = readTable(dir / "physics.csv");
    ASSERT_EQ(physics.rows.size(), full.rows.size());
    ASSERT_EQ(physics.columns.back(), "repair_probability");
    for (std::size_t row = 0; row < full.rows.size(); ++row) {
        const std::vector<std::string> start(full.rows[row].begin(),
                                             full.rows[row].begin() + static_cast<std::ptrdiff_t>(physics.columns.size()));
        EXPECT_EQ(physics.rows[row], start) << "row " << row + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Scans, ScanIdentityTest, testing::ValuesIn(identityCases),
                         [](const testing::TestParamInfo<IdentityCase>& param) { return param.param.name; });

}  // namespace
