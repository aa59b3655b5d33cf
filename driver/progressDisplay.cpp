#include "driver/progressDisplay.h"

#include "kesp/support/lineBuilder.h"
#include "kesp/support/lineWriter.h"

namespace kesp {

namespace {
constexpr std::size_t progressLineLength = 80;
}

void writeProgressHeader(std::ostream& out, std::string_view lastColumn)
{
    writeLine(out, RecordForm::blankLineFirst,
              "      TIME (min)       ----- Clusters/(Gy-Gbp) ------");
    writeLine(out, RecordForm::plain,
              "  Elapsed   Remaining     DSB        SSB       TOTAL      nsim     "
                  + std::string(lastColumn));
}

std::string progressLine(double elapsedMinutes, double remainingMinutes,
                         const ProgressCounts& counts, int cellsDone, double lastColumn)
{
    std::string line = blankLine(progressLineLength);
    appendNumber(elapsedMinutes, "E1", " ", line);
    appendNumber(remainingMinutes, "E1", "    ", line);
    appendNumber(counts.dsb / cellsDone, "E3", "   ", line);
    appendNumber(counts.ssb / cellsDone, "E3", "  ", line);
    appendNumber(counts.all / cellsDone, "E3", "  ", line);
    appendNumber(cellsDone, "E2", "  ", line);
    appendNumber(lastColumn, "E2", "  ", line);
    return line;
}

}  // namespace kesp

namespace kesp {

void ConsoleProgress::tableStarted(ProgressTable table)
{
    writeProgressHeader(out_, table == ProgressTable::singleParticle ? "sim/s" : "Scoll");
}

void ConsoleProgress::progressed(const ProgressUpdate& update)
{
    writeLine(out_, RecordForm::plain,
              progressLine(update.elapsedMinutes, update.remainingMinutes, update.counts,
                           update.cellsDone, update.lastColumn));
}

}  // namespace kesp
