#include "kesp/damage/clusterTally.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace kesp {
namespace {

class ClusterTallyTest : public ::testing::Test {
protected:
    ClusterTally t;
    CellTally one;  // the cell under way
    double weight = 0.0;  // per track, of every cluster

    // One cell holding the given clusters (code, first, last, lesions, Sb),
    // counted by class as the cell loop does.
    struct Cluster {
        int code;
        std::int32_t first;
        std::int32_t last;
        std::int32_t lesions;
        std::int32_t strandBreaks;
    };
    void cell(std::initializer_list<Cluster> clusters)
    {
        clearCellTally(one);
        for (const Cluster& c : clusters) {
            one.classCount[static_cast<std::size_t>(c.code)] += 1;
            add(c);
        }
        endCell(t, one);
    }
    void add(const Cluster& c)
    {
        addCluster(one, c.code, c.first, c.last, c.lesions, c.strandBreaks, weight);
    }
};

TEST_F(ClusterTallyTest, clusterGoesToItsSizeRowAndTheAllSizesRow)
{
    weight = 0.25;
    add({3, 10, 16, 3, 1});  // code 3: SSB category
    for (const auto& [row, category] : {std::pair{3, 2}, {51, 2}, {3, 4}, {51, 4}}) {
        SCOPED_TRACE(testing::Message() << "row " << row << " category " << category);
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(category);
        EXPECT_EQ(one.count[r][c], 1.0);
        // Single precision as the tables use them: 1 * 100 / 3 and 3 * 0.5 / 7.
        EXPECT_EQ(one.pctSb[r][c], static_cast<double>(100.0F / 3.0F));
        EXPECT_EQ(one.lesionsPerNt[r][c], static_cast<double>(1.5F / 7.0F));
        EXPECT_EQ(one.length[r][c], 7.0);
        EXPECT_EQ(one.perTrack[r][c], 0.25);
    }
    EXPECT_EQ(one.count[3][1], 0.0);
    EXPECT_EQ(one.count[3][3], 0.0);

    // A cluster of 60 lesions has no size row of its own.
    add({1, 100, 159, 60, 0});
    double sizedRows = 0.0;
    for (std::size_t r = 1; r <= 50; ++r) {
        sizedRows += one.count[r][3] + one.count[r][4];
    }
    EXPECT_EQ(sizedRows, 1.0);  // only the first cluster's row 3 in ALL CLUSTERS
    EXPECT_EQ(one.count[51][3], 1.0);
    EXPECT_EQ(one.count[51][4], 2.0);
}

TEST_F(ClusterTallyTest, finalisationAveragesCountsOverAllCellsAndCompositionOverCellsWithClusters)
{
    weight = 0.5;
    cell({{6, 100, 100, 2, 2}, {2, 200, 200, 1, 1}});
    cell({{2, 50, 50, 1, 1}});
    cell({{2, 50, 50, 1, 1}, {3, 70, 74, 2, 1}});
    finaliseTally(t, 3);

    // Row 2 DSB, seen in the first cell only: counts 1, 0, 0. Mean 1/3; SEM
    // sqrt((1 - 3 (1/3)^2) / 2 / 3) = 1/3. Composition from that one cell, SEM 0.
    EXPECT_DOUBLE_EQ(t.sumCount[2][1], 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(t.sumSqCount[2][1], 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(t.sumPerTrack[2][1], 0.5 / 3.0);
    EXPECT_EQ(t.sumSqPerTrack[2][1], 0.0);
    EXPECT_EQ(t.sumPctSb[2][1], 100.0);
    EXPECT_EQ(t.sumSqPctSb[2][1], 0.0);
    EXPECT_EQ(t.sumLength[2][1], 1.0);
    EXPECT_EQ(t.sumSqLength[2][1], 0.0);
    EXPECT_EQ(t.sumLesionsPerNt[2][1], 1.0);
    EXPECT_EQ(t.sumSqLesionsPerNt[2][1], 0.0);

    // Row 51 SSB: counts 1, 1, 2 (mean 4/3, SEM 1/3); per track 0.5, 0.5, 1
    // (mean 2/3, SEM 1/6); per-cell mean lengths 1, 1, 3 (mean 5/3, SEM
    // sqrt((11 - 3 (5/3)^2) / 2 / 3) = 2/3).
    EXPECT_DOUBLE_EQ(t.sumCount[51][2], 4.0 / 3.0);
    EXPECT_DOUBLE_EQ(t.sumSqCount[51][2], 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(t.sumPerTrack[51][2], 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(t.sumSqPerTrack[51][2], 1.0 / 6.0);
    EXPECT_DOUBLE_EQ(t.sumLength[51][2], 5.0 / 3.0);
    EXPECT_DOUBLE_EQ(t.sumSqLength[51][2], 2.0 / 3.0);
    EXPECT_EQ(t.cellsWithClusters[51][2], 3);

    // Never seen: the no-data marker in all ten statistics.
    for (const TallyArray<double>* array :
         {&t.sumCount, &t.sumSqCount, &t.sumPerTrack, &t.sumSqPerTrack, &t.sumPctSb,
          &t.sumSqPctSb, &t.sumLength, &t.sumSqLength, &t.sumLesionsPerNt,
          &t.sumSqLesionsPerNt}) {
        EXPECT_EQ((*array)[5][4], -1.0);
        EXPECT_EQ((*array)[1][3], -1.0);
    }

    // SSB and SSB-with-Bd share of all clusters after each cell: 1/2, 2/3, 4/5.
    const double ssb = (static_cast<double>(1.0F * 100.0F / 2.0F)
                        + static_cast<double>(2.0F * 100.0F / 3.0F)
                        + static_cast<double>(4.0F * 100.0F / 5.0F))
                       / 3.0;
    EXPECT_EQ(t.classPct[2], ssb);
}

TEST_F(ClusterTallyTest, singleCellRunKeepsSumsAndHasNoSpread)
{
    weight = 0.5;
    cell({{2, 50, 50, 1, 1}, {2, 80, 80, 1, 1}});
    finaliseTally(t, 1);
    EXPECT_EQ(t.sumCount[1][2], 2.0);
    EXPECT_EQ(t.sumSqCount[1][2], 0.0);
    EXPECT_EQ(t.sumPerTrack[1][2], 1.0);
    EXPECT_EQ(t.sumSqPerTrack[1][2], 0.0);
    EXPECT_EQ(t.classPct[2], 100.0);
}

TEST_F(ClusterTallyTest, classPercentagesWithoutSsbOrDsbYetAddNothing)
{
    cell({{1, 50, 50, 1, 0}});  // base damage only: no SSB or DSB cluster in the run
    EXPECT_EQ(t.classPct[1], 100.0);
    for (std::size_t k = 2; k <= classPercentages; ++k) {
        EXPECT_EQ(t.classPct[k], 0.0) << "percentage " << k;
    }
    cell({{2, 50, 50, 1, 1}});  // now an SSB: SSBc = 0 of 1, DSB shares still empty
    for (std::size_t k = 1; k <= classPercentages; ++k) {
        EXPECT_FALSE(std::isnan(t.classPct[k])) << "percentage " << k;
    }
    EXPECT_EQ(t.classPct[2], 50.0);
    EXPECT_EQ(t.classPct[10], 0.0);
}

// The per-cell sums that keep rows 1 and 51 apart must leave the tally as
// addCluster does, bit for bit, whatever the mix and order of clusters:
// single lesions between larger clusters whose per-cent and per-nucleotide
// measures are not whole numbers, over several cells with a weight that does
// not add up exactly.
TEST(CellClusterSumsTest, tallyEqualsAddingEachClusterInTurn)
{
    struct Cluster {
        int code;
        std::int32_t length;
        std::int32_t lesions;
        std::int32_t strandBreaks;
    };
    const std::vector<Cluster> kinds = {{2, 1, 1, 1}, {1, 1, 1, 0}, {3, 7, 3, 1},  {5, 9, 2, 2},
                                        {6, 4, 2, 2}, {7, 3, 5, 2}, {9, 12, 7, 4}, {1, 5, 2, 0},
                                        {4, 6, 3, 2}, {8, 30, 60, 3}};
    ClusterTally expected;
    CellTally expectedCell;
    ClusterTally tally;
    CellTally tallyCell;
    const double weight = 0.1;
    std::uint32_t pick = 12345;
    for (int cell = 0; cell < 20; ++cell) {
        clearCellTally(expectedCell);
        clearCellTally(tallyCell);
        CellClusterSums sums{tallyCell, weight};
        for (int i = 0; i < 200 + 37 * cell; ++i) {
            pick = pick * 1103515245U + 12345U;
            // Mostly single lesions, as in sparse damage.
            const std::size_t k = (pick >> 16) % 16;
            const Cluster& c = kinds[k < 10 ? k : k % 2];
            const std::int32_t first = 100 * i;
            addCluster(expectedCell, c.code, first, first + c.length - 1, c.lesions, c.strandBreaks, weight);
            expectedCell.classCount[static_cast<std::size_t>(c.code)] += 1;
            sums.add(c.code, first, first + c.length - 1, c.lesions, c.strandBreaks);
        }
        sums.finish();
        endCell(expected, expectedCell);
        endCell(tally, tallyCell);
        ASSERT_EQ(tally, expected) << "cell " << cell;
        ASSERT_EQ(tallyCell.touched.count, expectedCell.touched.count) << "cell " << cell;
    }
}

}  // namespace
}  // namespace kesp
