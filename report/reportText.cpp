#include "report/reportText.h"

#include <sstream>

#include "report/banner.h"
#include "report/reportDriver.h"
#include "support/lineWriter.h"
#include "support/numberFormat.h"

namespace kesp {

std::string reportText(const RunSettings& settings, const RunResults& results, double runningMinutes)
{
    std::ostringstream report;
    writeBanner(report);
    writeLine(report, RecordForm::plain, numberField(runningMinutes, "F3", 11) + "     running time (min)");
    writeReport(report, settings, results);
    return report.str();
}

}  // namespace kesp
