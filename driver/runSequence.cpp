#include "driver/runSequence.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

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

// Reads the input file; false when it cannot be opened as a file.
bool readInputFile(const std::string& name)
{
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        return false;
    }
    std::ifstream input(name);
    if (!input) {
        return false;
    }
    readInput(input);
    return true;
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
    RunOptions& options = runOptions();
    readCommandLine(arguments, options);

    const std::string inputName(trimmed(options.inputFileName));
    if (!readInputFile(inputName)) {
        std::cout << "Input file " << inputName << " is not found\n";
        return 0;
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
