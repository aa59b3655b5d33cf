// Results read by name: the yields per Gy and Gbp that do not depend on the
// DNA content, standard errors only from two cells or more, rows that do
// not exist, names as the report prints them, and a mixed field's
// components with their cells.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "kesp/engine/engine.h"
#include "kesp/report/clusterTables.h"
#include "kesp/support/numberFormat.h"

namespace kesp {
namespace {

// The settings of these runs, in one place.
RunSettings protons(int cells, double dnaGbp, RadiationField field = singleParticleField("p", 10.0))
{
    RunSettings settings;
    settings.field = std::move(field);
    settings.cells = cells;
    settings.seed = 4242;
    settings.dnaContent = dnaGbp;
    return settings;
}

RunResults run(const RunSettings& settings)
{
    NoProgress quiet;
    RunSettings oneThread = settings;
    oneThread.threads = 1;
    SimulationRun simulation(oneThread);
    return simulation.simulate(quiet);
}

// The same cells on a cell of twice the DNA: twice the clusters per cell,
// the same clusters per Gy and Gbp (to rounding).
TEST(NamedResultsTest, yieldsPerGyAndGbpDoNotDependOnTheDnaContent)
{
    const RunResults six = run(protons(40, 6.0));
    const RunResults twelve = run(protons(40, 12.0));
    for (const ClusterCategory category : clusterCategories) {
        SCOPED_TRACE(std::string(label(category)));
        const std::optional<ClusterYield> once = six.clusters(category);
        const std::optional<ClusterYield> twice = twelve.clusters(category);
        ASSERT_TRUE(once && twice);
        EXPECT_DOUBLE_EQ(twice->perCellPerGy.mean, 2.0 * once->perCellPerGy.mean);
        EXPECT_DOUBLE_EQ(twice->perGyPerGbp.mean, once->perGyPerGbp.mean);
        EXPECT_DOUBLE_EQ(*twice->perGyPerGbp.sem, *once->perGyPerGbp.sem);
        EXPECT_DOUBLE_EQ(once->perGyPerGbp.mean * 6.0, once->perCellPerGy.mean);
        // The all-clusters row of TABLE 2 is the yield per cell.
        EXPECT_EQ(six.entry(ClusterTable::clustersPerCellPerGy, ClusterRow::all(), category), once->perCellPerGy);
    }
    const double dsb = six.clusters(ClusterCategory::dsb)->perCellPerGy.mean;
    const double all = six.clusters(ClusterCategory::all)->perCellPerGy.mean;
    EXPECT_GT(dsb, 10.0);  // about 56 DSB per cell per Gy for 10 MeV protons
    EXPECT_GT(all, 50.0 * dsb);
}

TEST(NamedResultsTest, standardErrorsComeFromTwoCellsOrMore)
{
    for (const int cells : {1, 2}) {
        const RunResults results = run(protons(cells, 6.0));
        int entries = 0;
        for (const ClusterTable table : clusterTables) {
            for (int n = 1; n <= ClusterRow::largestCluster + 1; ++n) {
                const ClusterRow row = n <= ClusterRow::largestCluster ? ClusterRow::lesions(n) : ClusterRow::all();
                for (const ClusterCategory category : clusterCategories) {
                    if (const std::optional<Estimate> entry = results.entry(table, row, category)) {
                        ++entries;
                        EXPECT_EQ(entry->sem.has_value(), cells >= 2) << static_cast<int>(table) << " row " << n;
                    }
                }
            }
        }
        EXPECT_GT(entries, 40) << cells << " cells";
    }
}

// No cell has a DSB of a single lesion, and no row holds clusters of 0 or
// more than 50 lesions: all are empty, never the no-data marker as a value.
TEST(NamedResultsTest, entriesWithoutDataAndRowsThatDoNotExistAreEmpty)
{
    const RunResults results = run(protons(10, 6.0));
    EXPECT_FALSE(results.entry(ClusterTable::clustersPerCellPerGy, ClusterRow::lesions(1), ClusterCategory::dsb));
    EXPECT_TRUE(results.entry(ClusterTable::clustersPerCellPerGy, ClusterRow::lesions(1), ClusterCategory::ssb));
    for (const int n : {-1, 0, 51, 1000}) {
        EXPECT_NE(ClusterRow::lesions(n), ClusterRow::all()) << n;
        for (const ClusterTable table : clusterTables) {
            for (const ClusterCategory category : clusterCategories) {
                EXPECT_FALSE(results.entry(table, ClusterRow::lesions(n), category)) << n;
            }
        }
    }
    // Fifty-lesion clusters do not come from 10 cells of protons.
    EXPECT_FALSE(results.entry(ClusterTable::lengthBp, ClusterRow::lesions(50), ClusterCategory::all));
}

// Each class and category under the name the report prints for it, with the
// percentage the report prints.
TEST(NamedResultsTest, namesAreThoseOfTheReportTables)
{
    const RunResults results = run(protons(20, 6.0));
    std::ostringstream text;
    writeComplexityTable(text, results.statistics);
    std::vector<std::string> lines;
    std::istringstream written(text.str());
    for (std::string line; std::getline(written, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 4u + complexityClasses.size() + 1u);
    for (std::size_t k = 0; k < complexityClasses.size(); ++k) {
        const ComplexityClass c = complexityClasses[k];
        const std::string& line = lines[4 + k];
        EXPECT_EQ(line.substr(15, label(c).size() + 1), std::string(label(c)) + " ") << line;
        EXPECT_EQ(line.substr(0, 10), numberField(results.percent(c), "F3", 10)) << line;
    }
    std::ostringstream table;
    writeStatisticTable(table, results.statistics, 2, 6.0);
    std::size_t from = 0;
    for (const ClusterCategory category : clusterCategories) {
        const std::size_t at = table.str().find(std::string(" ") + std::string(label(category)) + " ", from);
        EXPECT_NE(at, std::string::npos) << label(category);
        from = at;
    }
    EXPECT_EQ(key(ComplexityClass::dsbPlusPlus), "dsb_plus_plus");
    EXPECT_EQ(key(ClusterTable::clustersPerCellPerGyPerTrack), "clusters_per_cell_per_gy_per_track");
}

TEST(NamedResultsTest, aMixedFieldsComponentsCarryTheirCellsAndTheAverageRowAllOfThem)
{
    const RunResults results = run(protons(30, 6.0, mixedField({{"p", 10.0, 2.0}, {"4He", 40.0, 1.0}})));
    const std::vector<ComponentResult> components = results.componentResults();
    ASSERT_EQ(components.size(), 2u);
    EXPECT_EQ(components[0].particle, "p");
    EXPECT_EQ(components[1].particle, "4He");
    EXPECT_DOUBLE_EQ(components[0].weight, 2.0 / 3.0);
    EXPECT_EQ(components[0].cellsSimulated + components[1].cellsSimulated, 30);
    EXPECT_EQ(components[0].cellsSimulated, 20);
    // Helium ions of 10 MeV per nucleon are denser than protons of 10 MeV.
    EXPECT_GT(components[1].physics.letKeVPerUm, 2.0 * components[0].physics.letKeVPerUm);
    EXPECT_DOUBLE_EQ(components[1].physics.kineticEnergyPerNucleonMeV, 10.0);
    const ComponentResult average = results.fieldAverageResult();
    EXPECT_EQ(average.particle, "Avg");
    EXPECT_EQ(average.cellsSimulated, 30);
    EXPECT_DOUBLE_EQ(average.physics.letKeVPerUm, (2.0 * components[0].physics.letKeVPerUm
                                                   + components[1].physics.letKeVPerUm) / 3.0);
    // A single particle's LET is its total stopping power, about 4.5 keV/um for 10 MeV protons.
    const ParticleQuantities single = run(protons(2, 6.0)).particleQuantities();
    EXPECT_NEAR(single.letKeVPerUm, 4.49309, 1e-5);
    EXPECT_NEAR(single.csdaRangeCm, 0.123767, 1e-6);
    EXPECT_DOUBLE_EQ(single.letKeVPerUm, components[0].physics.letKeVPerUm);
}

}  // namespace
}  // namespace kesp
