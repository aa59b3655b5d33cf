#include "kesp/report/clusterTables.h"

#include <array>
#include <string>
#include <string_view>

#include "kesp/support/lineBuilder.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/numberFormat.h"
#include "kesp/support/text.h"

namespace kesp {

namespace {

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

// Caption of TABLES 2 and 6: the DNA content is written into the second record.
void writeYieldCaption(std::ostream& out, double dna, std::string_view first, std::string_view lead,
                       std::string_view rest, std::string_view third)
{
    writeLine(out, RecordForm::blankLineFirst, first);
    std::string line = makeField(lead, reportLineLength);
    appendNumber(dna, "F3", " ", line);
    appendText(rest, line);
    writeLine(out, RecordForm::plain, line);
    writeLine(out, RecordForm::plain, third);
    writeLine(out, RecordForm::plain, "for SSB and DSB.  SEM = standard error of the mean.");
}

void writeCaption(std::ostream& out, int tableNumber, double dna)
{
    switch (tableNumber) {
    case 2:
        writeYieldCaption(
            out, dna,
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
            out, dna,
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
    // The columns leave room for every E5 number, so nothing is ever cut.
    for (std::size_t category = 1; category <= tallyCategories; ++category) {
        const int column = meanColumns[category - 1];
        static_cast<void>(placeNumber(mean[r][category], column, Justify::decimalPoint, "E5", line));
        static_cast<void>(
            placeNumber(sem[r][category], column + semOffset, Justify::decimalPoint, "E5", line));
    }
}

void writeTableBody(std::ostream& out, const TallyArray<double>& mean, const TallyArray<double>& sem,
                    std::string_view summaryWord)
{
    for (int row = 1; row < tallyRows; ++row) {
        std::string line = blankLine();
        static_cast<void>(placeNumber(row, rowNumberColumn, Justify::decimalPoint, "I ", line));
        placeRowValues(mean, sem, row, line);
        while (replaceText(noDataText, noDataDashes, line) == 0) {
        }
        writeLine(out, RecordForm::plain, line);
    }
    std::string summary = blankLine();
    static_cast<void>(placeText(summaryWord, summaryWordColumn, Justify::centre, summary));
    placeRowValues(mean, sem, tallyRows, summary);
    writeLine(out, RecordForm::plain, summary);
}

}  // namespace

void writeClusterTables(std::ostream& out, const ClusterStatistics& statistics, double dna)
{
    writeComplexityTable(out, statistics);
    for (int tableNumber = 2; tableNumber <= 6; ++tableNumber) {
        writeStatisticTable(out, statistics, tableNumber, dna);
    }
}

void writeComplexityTable(std::ostream& out, const ClusterStatistics& statistics)
{
    writeRecord(out, "");
    writeRecord(out, "TABLE 1. Percent (%) cluster yields by complexity, as classified using the "
                     "scheme of Nikjoo et al. (IJRB 71, ");
    writeRecord(out, "467-483 1997 and and Radiat. Res. 156, 577-583 2001).");
    writeRule(out, '=');
    for (std::size_t k = 1; k <= classPercentages; ++k) {
        writeRecord(out, numberField(statistics.classPercent[k], "F3", 10) + "     "
                             + std::string(classLegends[k - 1]));
    }
    writeRule(out, '=');
}

void writeStatisticTable(std::ostream& out, const ClusterStatistics& statistics, int tableNumber,
                         double dna)
{
    if (tableNumber < 2 || tableNumber > 6) {
        return;
    }
    writeCaption(out, tableNumber, dna);
    writeRule(out, '=');
    writeRecord(out, headerLine1);
    writeRecord(out, headerLine2);
    writeRule(out, '=');
    const StatisticTable& table = statistics.tables[static_cast<std::size_t>(tableNumber - 2)];
    const bool totals = tableNumber == 2 || tableNumber == 6;
    writeTableBody(out, table.mean, table.sem, totals ? "Total" : "Average");
    writeRule(out, '-');
    if (tableNumber == 3) {
        writeRecord(out, "NOTES: (% Sb) is the percentage of lesions that are strand breaks.");
        writeRecord(out, "The number of Sb is ((% Sb)/100)*(# lesions). The number of Bd is "
                         "(1-(% Sb)/100)*(# lesions).");
    }
}

}  // namespace kesp
