#include "kesp/report/clusterTables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "kesp/damage/clusterStatistics.h"
#include "kesp/damage/clusterTally.h"

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

// Statistics with no data anywhere except the entries set by the tests.
ClusterStatistics emptyStatistics()
{
    ClusterStatistics statistics;
    for (StatisticTable& table : statistics.tables) {
        fillWithMarkers(table.mean);
        fillWithMarkers(table.sem);
    }
    return statistics;
}

void setCell(TallyArray<double>& mean, TallyArray<double>& sem, int row, int category, double m, double s)
{
    mean[static_cast<std::size_t>(row)][static_cast<std::size_t>(category)] = m;
    sem[static_cast<std::size_t>(row)][static_cast<std::size_t>(category)] = s;
}

void setCell(StatisticTable& table, int row, int category, double m, double s)
{
    setCell(table.mean, table.sem, row, category, m, s);
}

std::vector<std::string> statisticTable(const ClusterStatistics& statistics, int tableNumber,
                                        double dna = referenceDnaGbp)
{
    std::ostringstream out;
    writeStatisticTable(out, statistics, tableNumber, dna);
    return linesOf(out.str());
}

// TABLES 2 to 6 are tables[0] to tables[4].
constexpr std::size_t countTable = 0;
constexpr std::size_t lengthTable = 2;
constexpr std::size_t perTrackTable = 4;

const std::string equalsRule(115, '=');
const std::string dashRule(115, '-');

TEST(ClusterTablesTest, numberOfClustersTableLayout)
{
    ClusterStatistics statistics = emptyStatistics();
    StatisticTable& t = statistics.tables[countTable];
    setCell(t, 1, 1, 2.5, 0.5);
    setCell(t, 1, 3, 1234.5, 0.0);
    setCell(t, 1, 4, 1e-3, 2e-4);
    setCell(t, 51, 1, 1.0, 0.1);
    setCell(t, 51, 3, 3.0, 0.3);
    setCell(t, 51, 4, 4.0, 0.4);
    const std::vector<std::string> lines = statisticTable(statistics, 2);
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

TEST(ClusterTablesTest, otherTablesDifferInCaptionSummaryWordAndNotes)
{
    const ClusterStatistics statistics = emptyStatistics();
    const std::vector<std::string> composition = statisticTable(statistics, 3);
    ASSERT_EQ(composition.size(), 60U);  // caption 2, rules and header 4, rows 51, rule 1, notes 2
    EXPECT_EQ(composition[1], "TABLE 3. Cluster composition (% Sb per cluster)");
    EXPECT_EQ(composition[56].substr(0, 9), "Average  ");  // centred on column 4: columns 1 to 7
    EXPECT_EQ(composition[58], "NOTES: (% Sb) is the percentage of lesions that are strand breaks.");
    EXPECT_EQ(composition[59], "The number of Sb is ((% Sb)/100)*(# lesions). The number of Bd is "
                               "(1-(% Sb)/100)*(# lesions).");

    EXPECT_EQ(statisticTable(statistics, 4)[1], "TABLE 4. Cluster Length (in base pair)");
    EXPECT_EQ(statisticTable(statistics, 5)[1], "TABLE 5. NUMBER OF LESIONS DIVIDED BY TWICE THE CLUSTER LENGTH "
                                    "(lesions per nucleotide)");

    const std::vector<std::string> perTrack = statisticTable(statistics, 6);
    ASSERT_EQ(perTrack.size(), 61U);
    EXPECT_EQ(perTrack[1], "TABLE 6. Number of clusters per cell per Gy per track.  Cluster yields "
                           "are for a representative cell containing");
    EXPECT_EQ(perTrack[2], "an average of 6.000 Gbp (giga basepair) of DNA.  Cluster induction is "
                           "proportional to absorbed dose up to at least");
    EXPECT_EQ(perTrack[3], "a hundred or thousand Gy. The category \"OTHER\" includes all classes of "
                           "individual and clustered DNA lesion, except");
    EXPECT_EQ(perTrack[59].substr(0, 9), " Total   ");

    EXPECT_TRUE(statisticTable(statistics, 7).empty());
}

TEST(ClusterTablesTest, complexityTableListsClassPercentages)
{
    ClusterStatistics statistics = emptyStatistics();
    statistics.classPercent[1] = 12.3456;
    statistics.classPercent[5] = 123456789.0;  // too wide for 10 columns
    std::ostringstream out;
    writeComplexityTable(out, statistics);
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

TEST(ClusterTablesTest, twelveGbpDoublesTheCountsOnlyAndKeepsMarkers)
{
    // A finalised tally with no data except one entry of the count, length
    // and per-track tables.
    ClusterTally t;
    for (TallyArray<double>* values :
         {&t.sumCount, &t.sumSqCount, &t.sumPctSb, &t.sumSqPctSb, &t.sumLength, &t.sumSqLength,
          &t.sumLesionsPerNt, &t.sumSqLesionsPerNt, &t.sumPerTrack, &t.sumSqPerTrack}) {
        fillWithMarkers(*values);
    }
    setCell(t.sumCount, t.sumSqCount, 1, 1, 3.0, 0.25);
    setCell(t.sumLength, t.sumSqLength, 1, 1, 2.5, 0.5);
    setCell(t.sumPerTrack, t.sumSqPerTrack, 51, 4, 0.75, 0.125);
    t.classPct[1] = 40.0;
    const ClusterStatistics statistics = clusterStatistics(t, 12.0);
    // Twice the DNA: twice the clusters per cell, of the same length.
    EXPECT_EQ(statistics.tables[countTable].mean[1][1], 6.0);
    EXPECT_EQ(statistics.tables[countTable].sem[1][1], 0.5);
    EXPECT_EQ(statistics.tables[perTrackTable].mean[51][4], 1.5);
    EXPECT_EQ(statistics.tables[perTrackTable].sem[51][4], 0.25);
    const StatisticTable& length = statistics.tables[lengthTable];
    EXPECT_EQ(length.mean[1][1], 2.5);
    EXPECT_EQ(length.sem[1][1], 0.5);
    EXPECT_EQ(length.mean[1][2], noDataMarker);
    EXPECT_EQ(statistics.tables[countTable].sem[51][4], noDataMarker);
    EXPECT_EQ(statistics.classPercent[1], 40.0);
    const std::vector<std::string> lines = statisticTable(statistics, 4, 12.0);
    EXPECT_EQ(lines[6], "   1      2.50000E+00  5.00000E-01       ---          ---           ---"
                        "          ---           ---          ---");
    EXPECT_EQ(statisticTable(statistics, 2, 12.0)[2].substr(0, 10), "of 12.000 ");
}

TEST(ClusterTablesTest, everyTableRecordFitsIn115Columns)
{
    ClusterStatistics statistics = emptyStatistics();
    for (int row = 1; row <= tallyRows; ++row) {
        for (int category = 1; category <= tallyCategories; ++category) {
            setCell(statistics.tables[perTrackTable], row, category, -1.0 + row, 1.0);
        }
    }
    std::ostringstream out;
    writeClusterTables(out, statistics, referenceDnaGbp);
    const std::vector<std::string> lines = linesOf(out.str());
    EXPECT_EQ(lines.size(), 16U + 61U + 60U + 58U + 58U + 61U);  // TABLE 1 to TABLE 6
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 115U) << line;
    }
}

}  // namespace
}  // namespace kesp
