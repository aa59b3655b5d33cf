// The scan runner on several threads (this test also runs under
// ThreadSanitizer): rows arrive in scan order, each equal to a run of its
// own with no shared physics, whatever the number of jobs; a run that stops
// names its configuration after the rows before it arrived.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <atomic>
#include <map>
#include <optional>
#include <sstream>

#include "kesp/engine/engine.h"
#include "kesp/report/scanPairing.h"
#include "scan/scanHarness.h"
#include "scan/scanProgress.h"
#include "scan/scanFile.h"
#include "scan/scanRunner.h"

namespace {

namespace fs = std::filesystem;
using namespace kesp;
using namespace kesp::scantest;

using Rows = std::vector<std::pair<std::size_t, std::string>>;

Rows runAll(const ScanPlan& plan, unsigned jobs, ScanMode mode = ScanMode::simulation)
{
    std::vector<std::size_t> indices;
    for (std::size_t row = 0; row < plan.configurations; ++row) {
        indices.push_back(row);
    }
    Rows rows;
    runConfigurations(plan, indices, ScanRunOptions{jobs, mode},
                      [&rows](std::size_t row, const std::string& line) { rows.emplace_back(row, line); });
    return rows;
}

ScanPlan planOf(const fs::path& dir, const std::string& text)
{
    writeText(dir / "scan.yaml", text);
    return planScan(readScanFile(dir / "scan.yaml"), Leniency::strict);
}

// Physics shared between rows (the same particles under two oxygen levels;
// the same field in nuclei of two sizes), and rows that share none.
const char* const sharingScans[] = {
    "cells: 12\nvary:\n  PAR: [p, 4He]\n  PO2: [21, 0.1]\nfixed: {KE: 8}\n",
    "cells: 20\nseed: 5\nvary:\n  NDIA: [5, 7]\nfixed: {FN: field.txt, PO2: 0.5}\n",
};

TEST(ScanRunnerTest, rowsArriveInScanOrderEqualToRunsOfTheirOwn)
{
    const fs::path dir = makeRunDirectory("kespScanRunner");
    writeText(dir / "field.txt", "protons and helium ions\n2\np 10 0.7\n4He 20 0.3\n");
    for (const char* text : sharingScans) {
        const ScanPlan plan = planOf(dir, text);
        const Rows twoJobs = runAll(plan, 2);
        ASSERT_EQ(twoJobs.size(), plan.configurations) << text;
        for (std::size_t row = 0; row < twoJobs.size(); ++row) {
            EXPECT_EQ(twoJobs[row].first, row) << text;
            // The row's own run, and its OER partner's for the fields that pair them.
            const auto ownRow = [&plan](std::size_t configuration) {
                const RunSettings settings = settingsOf(plan, plan.row(configuration));
                NoProgress quiet;
                const RunResults own = simulate(settings, quiet);
                return pendingRowOf(rowValues(plan.scan, configurationAt(plan.scan, configuration), settings, own,
                                              ScanMode::simulation));
            };
            const PendingRow own = ownRow(row);
            const RowPairing pairing = rowPairing(plan, row, ScanMode::simulation);
            const std::optional<PendingRow> partner =
                pairing.oxygenPartner ? std::optional<PendingRow>(ownRow(*pairing.oxygenPartner)) : std::nullopt;
            const std::string expected =
                tableLine(own, pairedFields(plan.scan, pairing, own, PairedRuns{nullptr, partner ? &*partner : nullptr}));
            EXPECT_EQ(twoJobs[row].second, expected) << text << " row " << row + 1;
        }
        EXPECT_EQ(runAll(plan, 1), twoJobs) << text;
        EXPECT_EQ(runAll(plan, 4, ScanMode::physicsOnly).size(), plan.configurations) << text;
    }
}

TEST(ScanRunnerTest, aStoppedRunIsNamedAfterTheRowsBeforeIt)
{
    const fs::path dir = makeRunDirectory("kespScanRunnerStop");
    // A DMSO concentration far above CHMX with FNSD=0 leaves no lesion: the
    // run of configuration 3 stops.
    const ScanPlan plan = planOf(dir, "cells: 5\nvary:\n  CONC: [0, 0.1, 1e9, 0.2, 0.3]\n"
                                      "fixed: {FNSD: 0, PAR: p, KE: 10}\n");
    Rows rows;
    try {
        runConfigurations(plan, {0, 1, 2, 3, 4}, ScanRunOptions{2, ScanMode::simulation},
                          [&rows](std::size_t row, const std::string& line) { rows.emplace_back(row, line); });
        FAIL() << "the run of configuration 3 did not stop the scan";
    } catch (const RunError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with(
            "Configuration 3 (CONC=1e+09, scan-003.inp): Damage information for this DNA segment is missing"))
            << error.what();
    }
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].first, 0U);
    EXPECT_EQ(rows[1].first, 1U);
}

// What a resumed scan gives the runner: rows done before, which it does not
// run again, and rows done ahead of their turn, which it reports before it
// hands them on. The progress display counts from several threads.
TEST(ScanRunnerTest, rowsDoneBeforeAreHandedOnNotRunAgain)
{
    const fs::path dir = makeRunDirectory("kespScanRunnerDone");
    // While one job runs the long first row, the other runs all the rest.
    const ScanPlan plan = planOf(dir, "vary:\n  NOCS: [400, 10, 10, 10, 10, 10]\nfixed: {PAR: p, KE: 8}\n");
    const std::vector<std::size_t> indices{0, 1, 2, 3, 4, 5};
    Rows whole;
    RowsDone ahead;
    runConfigurations(
        plan, indices, ScanRunOptions{2, ScanMode::simulation},
        [&whole](std::size_t row, const std::string& line) { whole.emplace_back(row, line); }, {},
        [&ahead](std::size_t position, const PendingRow& row) { ahead.emplace(position, row); });
    ASSERT_EQ(whole.size(), 6U);
    EXPECT_FALSE(ahead.empty()) << "the long first row held none of the others back";
    EXPECT_FALSE(ahead.contains(0));

    std::ostringstream shown;
    Rows resumed;
    {
        ScanProgress progress(shown, ProgressStyle::lines, 6, ahead.size(), 0);
        ScanRunOptions options{2, ScanMode::simulation};
        options.activity = &progress;
        runConfigurations(plan, indices, options,
                          [&resumed](std::size_t row, const std::string& line) { resumed.emplace_back(row, line); },
                          ahead);
    }
    EXPECT_EQ(resumed, whole);
    EXPECT_TRUE(shown.str().ends_with("kesp-scan: 6/6 configurations\n")) << shown.str();

    const StopFlag stopped{true};
    ScanRunOptions options{2, ScanMode::simulation};
    options.stop = &stopped;
    Rows none;
    runConfigurations(plan, indices, options,
                      [&none](std::size_t row, const std::string& line) { none.emplace_back(row, line); });
    EXPECT_TRUE(none.empty());
}

}  // namespace
