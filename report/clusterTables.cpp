#include "report/clusterTables.h"

#include <array>
#include <string>
#include <string_view>

#include "damage/clusterTally.h"
#include "input/runConfig.h"
#include "support/lineBuilder.h"
#include "support/lineWriter.h"
#include "support/numberFormat.h"
#include "support/text.h"

namespace kesp {

namespace {

// The tallies are per cell of this many Gbp of DNA.
constexpr double referenceDnaGbp = 6.0;

using StatisticArray = TallyArray<double> ClusterTally::*;

// Mean and SEM arrays of TABLES 2 to 6, in table order.
constexpr std::array<std::array<StatisticArray, 2>, 5> statisticArrays{{
    {&ClusterTally::sumCount, &ClusterTally::sumSqCount},
    {&ClusterTally::sumPctSb, &ClusterTally::sumSqPctSb},
    {&ClusterTally::sumLength, &ClusterTally::sumSqLength},
    {&ClusterTally::sumLesionsPerNt, &ClusterTally::sumSqLesionsPerNt},
    {&ClusterTally::sumPerTrack, &ClusterTally::sumSqPerTrack},
}};

constexpr std::array<std::string_view, classPercentages> classLegends{
    "BD    - one or more Bd (no Sb)",
    "SSB   - Sb (no auxilary damage)",
    "SSB+  - two Sb on the same strand",
    "2SSB  - two or more Sb on opposite strands separated by at least 10 bp",
    "DSB   - two Sb on opposite strands with a separation <= 10 bp",
    "DSB+  - DSB accompanied by one (or more) additional Sb within 10 bp separation",
    "DSB++ - more than one DSB whether within the 10 bp separation or further apart",
    "SSBc  - fraction of complex damage (SSB+ and 2SSB) among SSBs",
    "SSBcb - fraction of complex damage (SSB+ and 2SSB) among SSBs; base damage included",
    "DSBc  - fraction of complex damage (DSB+ and DSB++) among DSBs",
    "DSBcb - fraction of complex damage (DSB+ and DSB++) among DSBs; base damage included",
};

constexpr std::string_view headerLine1 =
    "Number of --------- DSB ----------   --------- SSB ----------"
    "   -------- OTHER ---------   ----- ALL CLUSTERS -----";
constexpr std::string_view headerLine2 =
    " lesions    Average        SEM         Average        SEM    "
    "     Average        SEM         Average        SEM    ";

// Decimal-point columns of the mean of each category; its SEM follows 13 columns on.
constexpr std::array<int, tallyCategories> meanColumns{12, 39, 66, 93};
constexpr int semOffset = 13;
constexpr int rowNumberColumn = 5;
constexpr int summaryWordColumn = 4;

constexpr std::string_view noDataText = "-1.00000E+00";
constexpr std::string_view noDataDashes = "     ---    ";

void scaleArray(TallyArray<double>& values, double factor)
{
    for (int row = 1; row <= tallyRows; ++row) {
        for (int category = 1; category <= tallyCategories; ++category) {
            double& value = values[static_cast<std::size_t>(row)][static_cast<std::size_t>(category)];
            value *= factor;
            if (value < 0.0) {
                value = noDataMarker;
            }
        }
    }
}

// Caption of TABLES 2 and 6: the DNA content is written into the second record.
void writeYieldCaption(std::ostream& out, std::string_view first, std::string_view lead,
                       std::string_view rest, std::string_view third)
{
    writeLine(out, RecordForm::blankLineFirst, first);
    std::string line = makeField(lead, reportLineLength);
    appendNumber(runConfig().dna, "F3", " ", line);
    appendText(rest, line);
    writeLine(out, RecordForm::plain, line);
    writeLine(out, RecordForm::plain, third);
    writeLine(out, RecordForm::plain, "for SSB and DSB.  SEM = standard error of the mean.");
}

void writeCaption(std::ostream& out, int tableNumber)
{
    switch (tableNumber) {
    case 2:
        writeYieldCaption(
            out,
            "TABLE 2. Number of clusters per cell per Gy.  Cluster yields are for a representative "
            "cell containing an average",
            "of ",
            " Gbp (giga basepair) of DNA.  Cluster induction is proportional to absorbed dose up to "
            "at least a ",
            "hundred or thousand Gy. The category \"OTHER\" includes all classes of individual and "
            "clustered DNA lesion, except");
        break;
    case 3:
        writeLine(out, RecordForm::blankLineFirst, "TABLE 3. Cluster composition (% Sb per cluster)");
        break;
    case 4:
        writeLine(out, RecordForm::blankLineFirst, "TABLE 4. Cluster Length (in base pair)");
        break;
    case 5:
        writeLine(out, RecordForm::blankLineFirst,
                  "TABLE 5. NUMBER OF LESIONS DIVIDED BY TWICE THE CLUSTER LENGTH (lesions per "
                  "nucleotide)");
        break;
    default:
        writeYieldCaption(
            out,
            "TABLE 6. Number of clusters per cell per Gy per track.  Cluster yields are for a "
            "representative cell containing",
            "an average of ",
            " Gbp (giga basepair) of DNA.  Cluster induction is proportional to absorbed dose up to "
            "at least",
            "a hundred or thousand Gy. The category \"OTHER\" includes all classes of individual "
            "and clustered DNA lesion, except");
        break;
    }
}

// The sixteen numbers of one row, mean and SEM per category.
void placeRowValues(const TallyArray<double>& mean, const TallyArray<double>& sem, int row,
                    std::string& line)
{
    const auto r = static_cast<std::size_t>(row);
    for (std::size_t category = 1; category <= tallyCategories; ++category) {
        const int column = meanColumns[category - 1];
        placeNumber(mean[r][category], column, Justify::decimalPoint, "E5", line);
        placeNumber(sem[r][category], column + semOffset, Justify::decimalPoint, "E5", line);
    }
}

void writeTableBody(std::ostream& out, const TallyArray<double>& mean, const TallyArray<double>& sem,
                    std::string_view summaryWord)
{
    for (int row = 1; row < tallyRows; ++row) {
        std::string line = blankLine();
        placeNumber(row, rowNumberColumn, Justify::decimalPoint, "I ", line);
        placeRowValues(mean, sem, row, line);
        while (replaceText(noDataText, noDataDashes, line) == 0) {
        }
        writeLine(out, RecordForm::plain, line);
    }
    std::string summary = blankLine();
    placeText(summaryWord, summaryWordColumn, Justify::centre, summary);
    placeRowValues(mean, sem, tallyRows, summary);
    writeLine(out, RecordForm::plain, summary);
}

}  // namespace

void scaleTallies()
{
    const double tallyScale = runConfig().dna / referenceDnaGbp;
    ClusterTally& tally = clusterTally();
    for (const auto& [mean, sem] : statisticArrays) {
        scaleArray(tally.*mean, tallyScale);
        scaleArray(tally.*sem, tallyScale);
    }
}

void writeClusterTables(std::ostream& out)
{
    writeComplexityTable(out);
    for (int tableNumber = 2; tableNumber <= 6; ++tableNumber) {
        writeStatisticTable(out, tableNumber);
    }
}

void writeComplexityTable(std::ostream& out)
{
    writeRecord(out, "");
    writeRecord(out, "TABLE 1. Percent (%) cluster yields by complexity, as classified using the "
                     "scheme of Nikjoo et al. (IJRB 71, ");
    writeRecord(out, "467-483 1997 and and Radiat. Res. 156, 577-583 2001).");
    writeRule(out, '=');
    const ClusterTally& tally = clusterTally();
    for (std::size_t k = 1; k <= classPercentages; ++k) {
        writeRecord(out, numberField(tally.classPct[k], "F3", 10) + "     "
                             + std::string(classLegends[k - 1]));
    }
    writeRule(out, '=');
}

void writeStatisticTable(std::ostream& out, int tableNumber)
{
    if (tableNumber < 2 || tableNumber > 6) {
        return;
    }
    writeCaption(out, tableNumber);
    writeRule(out, '=');
    writeRecord(out, headerLine1);
    writeRecord(out, headerLine2);
    writeRule(out, '=');
    const auto& [mean, sem] = statisticArrays[static_cast<std::size_t>(tableNumber - 2)];
    const ClusterTally& tally = clusterTally();
    const bool totals = tableNumber == 2 || tableNumber == 6;
    writeTableBody(out, tally.*mean, tally.*sem, totals ? "Total" : "Average");
    writeRule(out, '-');
    if (tableNumber == 3) {
        writeRecord(out, "NOTES: (% Sb) is the percentage of lesions that are strand breaks.");
        writeRecord(out, "The number of Sb is ((% Sb)/100)*(# lesions). The number of Bd is "
                         "(1-(% Sb)/100)*(# lesions).");
    }
}

}  // namespace kesp
