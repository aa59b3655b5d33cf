#include "driver/runSequence.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>

#include "damage/clusterTally.h"
#include "damage/simulationDrivers.h"
#include "driver/banner.h"
#include "driver/commandLine.h"
#include "input/inputReader.h"
#include "input/radiationField.h"
#include "report/damageSections.h"
#include "report/dosimetrySection.h"
#include "report/mixedFieldTables.h"
#include "report/particleSection.h"
#include "report/reportDriver.h"
#include "support/cpuClock.h"
#include "support/lineWriter.h"
#include "support/numberFormat.h"
#include "support/orderlyStop.h"
#include "support/text.h"

namespace kesp {

namespace {

enum class InputAccess { read, missing, notReadable };

// Reads the input file. A name that names nothing is missing. Anything but a
// regular file that can be opened is not readable: the reader rewinds the file
// for every block, which a pipe cannot do, and a device such as /dev/zero
// would never end its first line.
InputAccess readInputFile(const std::string& name)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return InputAccess::missing;
    }
    if (!std::filesystem::is_regular_file(status)) {
        return InputAccess::notReadable;
    }
    std::ifstream input(name);
    if (!input) {
        return InputAccess::notReadable;
    }
    readInput(input);
    return InputAccess::read;
}

// A name longer than the name field would be cut and could then name another
// file, or place the report where nobody expects it.
bool inputNameFits(std::span<const std::string_view> arguments)
{
    return arguments.empty() || trimmedLength(arguments[0]) <= fileNameLength;
}

// An input file named like its report ("run.out") would be replaced by it.
bool reportReplaces(const std::string& fileName, const std::string& reportName)
{
    std::error_code error;
    return !fileName.empty() && std::filesystem::equivalent(fileName, reportName, error);
}

// Reads the input named on the command line; false, with the reason on the
// console, when the run cannot go on; status is then the exit status.
bool readNamedInput(const RunOptions& options, int& status)
{
    const std::string inputName(trimmed(options.inputFileName));
    const std::string reportName(trimmed(options.reportFileName));
    if (reportReplaces(inputName, reportName)) {
        std::cout << "Input file " << inputName
                  << " would be replaced by the report of the same name; rename the input file\n";
        status = exitFailure;
        return false;
    }
    switch (readInputFile(inputName)) {
        case InputAccess::read:
            if (reportReplaces(radiationField().fieldFileName, reportName)) {
                std::cout << "Field file " << radiationField().fieldFileName
                          << " would be replaced by the report of the same name; rename the field file\n";
                status = exitFailure;
                return false;
            }
            return true;
        case InputAccess::missing:
            std::cout << "Input file " << inputName << " is not found\n";
            status = 0;
            return false;
        case InputAccess::notReadable:
            std::cout << "Input file " << inputName << " is not a readable file\n";
            status = exitFailure;
            return false;
    }
    return false;
}

// The sections before the simulation and the simulation itself.
void simulate(std::ostream& console)
{
    if (radiationField().singleParticle) {
        writeDamageSection(console);
        writeDmsoSection(console);
        writeOxygenSection(console);
        writeDosimetrySection(console);
        writeParticleSection(console);
        runSingleParticle(console);
    } else {
        writeMixedFieldSummary(console);
        runMixedField(console);
    }
}

std::string runningTime(double minutes, std::size_t width)
{
    return numberField(minutes, "F3", width);
}

// Writes the report file; false (with the reason on the standard error
// stream) when it cannot be created or written.
bool writeReportFile(const std::string& name, double minutes)
{
    std::ofstream report(name, std::ios::out | std::ios::trunc);
    if (!report) {
        std::cerr << "Cannot create the report file " << name << ": " << std::strerror(errno)
                  << '\n';
        return false;
    }
    writeBanner(report);
    writeLine(report, RecordForm::plain, runningTime(minutes, 11) + "     running time (min)");
    writeReport(report);
    report.close();
    if (!report) {
        std::cerr << "Cannot write the report file " << name << ": " << std::strerror(errno)
                  << '\n';
        return false;
    }
    return true;
}

}  // namespace

int runKesp(std::span<const std::string_view> arguments)
{
    const double startSeconds = cpuSeconds();
    writeBanner(std::cout);
    if (!inputNameFits(arguments)) {
        std::cout << "Input file name is longer than " << fileNameLength << " characters: " << arguments[0]
                  << '\n';
        return exitFailure;
    }
    RunOptions& options = runOptions();
    readCommandLine(arguments, options);
    int status = 0;
    if (!readNamedInput(options, status)) {
        return status;
    }
    simulate(std::cout);
    finaliseTally();

    const double minutes = (cpuSeconds() - startSeconds) / 60.0;
    writeLine(std::cout, RecordForm::plain, "Running time =" + runningTime(minutes, 10) + " min");
    if (!writeReportFile(std::string(trimmed(options.reportFileName)), minutes)) {
        return exitFailure;
    }
    std::cout << "END KESP\n";
    return 0;
}

}  // namespace kesp
