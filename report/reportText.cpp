#include "kesp/report/reportText.h"

#include <sstream>

#include "kesp/report/banner.h"
#include "kesp/report/reportDriver.h"
#include "kesp/support/lineWriter.h"
#include "kesp/support/numberFormat.h"

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
