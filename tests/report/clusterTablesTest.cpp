#include "report/clusterTables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "damage/clusterTally.h"
#include "input/runConfig.h"

namespace kesp {
namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void fillWithMarkers(TallyArray<double>& values)
{
    for (auto& row : values) {
        row.fill(noDataMarker);
    }
}

// A finalised tally with no data anywhere except the rows set by the tests.
void startTally()
{
    ClusterTally& tally = clusterTally();
    tally = ClusterTally{};
    for (TallyArray<double>* values :
         {&tally.sumCount, &tally.sumSqCount, &tally.sumPctSb, &tally.sumSqPctSb, &tally.sumLength,
          &tally.sumSqLength, &tally.sumLesionsPerNt, &tally.sumSqLesionsPerNt, &tally.sumPerTrack,
          &tally.sumSqPerTrack}) {
        fillWithMarkers(*values);
    }
}

void setCell(TallyArray<double>& mean, TallyArray<double>& sem, int row, int category, double m, double s)
{
    mean[static_cast<std::size_t>(row)][static_cast<std::size_t>(category)] = m;
    sem[static_cast<std::size_t>(row)][static_cast<std::size_t>(category)] = s;
}

std::vector<std::string> statisticTable(int tableNumber)
{
    std::ostringstream out;
    writeStatisticTable(out, tableNumber);
    return linesOf(out.str());
}

class ClusterTablesTest : public ::testing::Test {
protected:
    void SetUp() override { startTally(); }
    void TearDown() override
    {
        clusterTally() = ClusterTally{};
        resetRunConfig();
    }
};

const std::string equalsRule(115, '=');
const std::string dashRule(115, '-');

TEST_F(ClusterTablesTest, numberOfClustersTableLayout)
{
    ClusterTally& t = clusterTally();
    setCell(t.sumCount, t.sumSqCount, 1, 1, 2.5, 0.5);
    setCell(t.sumCount, t.sumSqCount, 1, 3, 1234.5, 0.0);
    setCell(t.sumCount, t.sumSqCount, 1, 4, 1e-3, 2e-4);
    setCell(t.sumCount, t.sumSqCount, 51, 1, 1.0, 0.1);
    setCell(t.sumCount, t.sumSqCount, 51, 3, 3.0, 0.3);
    setCell(t.sumCount, t.sumSqCount, 51, 4, 4.0, 0.4);
    const std::vector<std::string> lines = statisticTable(2);
    ASSERT_EQ(lines.size(), 61U);  // caption 5, rules and header 4, rows 51, closing rule 1
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "TABLE 2. Number of clusters per cell per Gy.  Cluster yields are for a "
                        "representative cell containing an average");
    EXPECT_EQ(lines[2], "of 6.000 Gbp (giga basepair) of DNA.  Cluster induction is proportional to "
                        "absorbed dose up to at least a");
    EXPECT_EQ(lines[3], "hundred or thousand Gy. The category \"OTHER\" includes all classes of "
                        "individual and clustered DNA lesion, except");
    EXPECT_EQ(lines[4], "for SSB and DSB.  SEM = standard error of the mean.");
    EXPECT_EQ(lines[5], equalsRule);
    EXPECT_EQ(lines[6], "Number of --------- DSB ----------   --------- SSB ----------"
                        "   -------- OTHER ---------   ----- ALL CLUSTERS -----");
    EXPECT_EQ(lines[7], " lesions    Average        SEM         Average        SEM    "
                        "     Average        SEM         Average        SEM    ");
    EXPECT_EQ(lines[8], equalsRule);
    // Decimal points at columns 12, 25, 39, 52, 66, 79, 93, 106; markers become
    // dashes 3 to 5 columns right of the point column.
    EXPECT_EQ(lines[9], "   1      2.50000E+00  5.00000E-01       ---          ---       "
                        "1.23450E+03  0.00000E+00   1.00000E-03  2.00000E-04");
    EXPECT_EQ(lines[18], "  10          ---          ---           ---          ---           ---"
                         "          ---           ---          ---");
    EXPECT_EQ(lines[58], "  50          ---          ---           ---          ---           ---"
                         "          ---           ---          ---");
    // The summary row keeps -1.00000E+00 for a category without any cluster.
    EXPECT_EQ(lines[59], " Total    1.00000E+00  1.00000E-01  -1.00000E+00 -1.00000E+00   "
                         "3.00000E+00  3.00000E-01   4.00000E+00  4.00000E-01");
    EXPECT_EQ(lines[60], dashRule);
}

TEST_F(ClusterTablesTest, otherTablesDifferInCaptionSummaryWordAndNotes)
{
    const std::vector<std::string> composition = statisticTable(3);
    ASSERT_EQ(composition.size(), 60U);  // caption 2, rules and header 4, rows 51, rule 1, notes 2
    EXPECT_EQ(composition[1], "TABLE 3. Cluster composition (% Sb per cluster)");
    EXPECT_EQ(composition[56].substr(0, 9), "Average  ");  // centred on column 4: columns 1 to 7
    EXPECT_EQ(composition[58], "NOTES: (% Sb) is the percentage of lesions that are strand breaks.");
    EXPECT_EQ(composition[59], "The number of Sb is ((% Sb)/100)*(# lesions). The number of Bd is "
                               "(1-(% Sb)/100)*(# lesions).");

    EXPECT_EQ(statisticTable(4)[1], "TABLE 4. Cluster Length (in base pair)");
    EXPECT_EQ(statisticTable(5)[1], "TABLE 5. NUMBER OF LESIONS DIVIDED BY TWICE THE CLUSTER LENGTH "
                                    "(lesions per nucleotide)");

    const std::vector<std::string> perTrack = statisticTable(6);
    ASSERT_EQ(perTrack.size(), 61U);
    EXPECT_EQ(perTrack[1], "TABLE 6. Number of clusters per cell per Gy per track.  Cluster yields "
                           "are for a representative cell containing");
    EXPECT_EQ(perTrack[2], "an average of 6.000 Gbp (giga basepair) of DNA.  Cluster induction is "
                           "proportional to absorbed dose up to at least");
    EXPECT_EQ(perTrack[3], "a hundred or thousand Gy. The category \"OTHER\" includes all classes of "
                           "individual and clustered DNA lesion, except");
    EXPECT_EQ(perTrack[59].substr(0, 9), " Total   ");

    EXPECT_TRUE(statisticTable(7).empty());
}

TEST_F(ClusterTablesTest, complexityTableListsClassPercentages)
{
    ClusterTally& t = clusterTally();
    t.classPct[1] = 12.3456;
    t.classPct[5] = 123456789.0;  // too wide for 10 columns
    std::ostringstream out;
    writeComplexityTable(out);
    const std::vector<std::string> lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 16U);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "TABLE 1. Percent (%) cluster yields by complexity, as classified using the "
                        "scheme of Nikjoo et al. (IJRB 71, ");
    EXPECT_EQ(lines[1].size(), 109U);
    EXPECT_EQ(lines[2], "467-483 1997 and and Radiat. Res. 156, 577-583 2001).");
    EXPECT_EQ(lines[3], equalsRule);
    EXPECT_EQ(lines[4], "    12.346     BD    - one or more Bd (no Sb)");
    EXPECT_EQ(lines[5], "     0.000     SSB   - Sb (no auxilary damage)");
    EXPECT_EQ(lines[8], "**********     DSB   - two Sb on opposite strands with a separation <= 10 bp");
    EXPECT_EQ(lines[14], "     0.000     DSBcb - fraction of complex damage (DSB+ and DSB++) among "
                         "DSBs; base damage included");
    EXPECT_EQ(lines[15], equalsRule);
}

TEST_F(ClusterTablesTest, scalingToTwelveGbpDoublesValuesAndKeepsMarkers)
{
    runConfig().dna = 12.0;
    ClusterTally& t = clusterTally();
    setCell(t.sumLength, t.sumSqLength, 1, 1, 2.5, 0.5);
    t.classPct[1] = 40.0;
    scaleTallies();
    EXPECT_EQ(t.sumLength[1][1], 5.0);
    EXPECT_EQ(t.sumSqLength[1][1], 1.0);
    EXPECT_EQ(t.sumLength[1][2], noDataMarker);
    EXPECT_EQ(t.sumSqPerTrack[51][4], noDataMarker);
    EXPECT_EQ(t.classPct[1], 40.0);
    const std::vector<std::string> lines = statisticTable(4);
    EXPECT_EQ(lines[6], "   1      5.00000E+00  1.00000E+00       ---          ---           ---"
                        "          ---           ---          ---");
    EXPECT_EQ(statisticTable(2)[2].substr(0, 10), "of 12.000 ");
}

TEST_F(ClusterTablesTest, everyTableRecordFitsIn115Columns)
{
    ClusterTally& t = clusterTally();
    for (int row = 1; row <= tallyRows; ++row) {
        for (int category = 1; category <= tallyCategories; ++category) {
            setCell(t.sumPerTrack, t.sumSqPerTrack, row, category, -1.0 + row, 1.0);
        }
    }
    std::ostringstream out;
    writeClusterTables(out);
    const std::vector<std::string> lines = linesOf(out.str());
    EXPECT_EQ(lines.size(), 16U + 61U + 60U + 58U + 58U + 61U);  // TABLE 1 to TABLE 6
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 115U) << line;
    }
}

}  // namespace
}  // namespace kesp
