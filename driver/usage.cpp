#include "driver/usage.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "kesp/report/banner.h"

// Both are set by the build; a build without them still says something.
#ifndef KESP_GIT_REVISION
#define KESP_GIT_REVISION "unknown"
#endif
#ifndef KESP_COMPILER
#define KESP_COMPILER __VERSION__
#endif

namespace kesp {

namespace {

bool nothingNamed(std::string_view name)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(std::string(name), error);
    return status.type() == std::filesystem::file_type::not_found;
}

}  // namespace

InformationRequest requestedInformation(std::span<const std::string_view> arguments)
{
    if (arguments.empty() || !nothingNamed(arguments[0])) {
        return InformationRequest::none;
    }
    const std::string_view first = arguments[0];
    if (first == "--help" || first == "-h") {
        return InformationRequest::usage;
    }
    if (first == "--version") {
        return InformationRequest::version;
    }
    return InformationRequest::none;
}

void writeUsage(std::ostream& out)
{
    out << "Usage: kesp [input-file] [switches]\n"
           "       kesp --help | -h | --version\n"
           "\n"
           "Estimates DNA lesion clusters per Gy by Monte Carlo simulation from the keyword\n"
           "input file (kesp.inp when none is named). The console shows the run; the report\n"
           "goes to the input file's name with its last extension replaced by .out (run.inp\n"
           "gives run.out, data/run.inp gives data/run.out); an existing report is replaced.\n"
           "\n"
           "Switches, after the input file, in any case; --no2, --nq, --2006, --strict and\n"
           "--json are taken as well. Any other argument after the input file draws a\n"
           "warning on standard error and is ignored:\n"
           "  /no2     no oxygen effect: the EVO2: line is ignored, no chemical repair\n"
           "  /nq      the oxygen enhancement factor is the constant M0, not a function of\n"
           "           the particle's (Zeff/beta)^2\n"
           "  /2006    the older set of mass constants; implies /no2 and /nq\n"
           "  /strict  stop with exit status 2, before the simulation and without a report,\n"
           "           when the input holds anything the program could not take as written\n"
           "           or the command line an argument that is not a switch (see the\n"
           "           warnings on standard error)\n"
           "  /json    also write the results as a JSON document beside the report, named\n"
           "           like it with .json (run.inp gives run.json), replaced the same way;\n"
           "           its keys are described in docs/kesp-results.schema.json\n"
           "\n"
           "Exit status:\n"
           "  0  a complete run: the report is written, the console ends with END KESP\n"
           "  1  the run could not be done: missing or unreadable input, faulty field file,\n"
           "     a stop with a message, report not writable\n"
           "  2  the run was refused by /strict because of warnings\n"
           "  130, 143  the run was interrupted by SIGINT (Ctrl-C) or SIGTERM: the report\n"
           "     holds the cells simulated so far (a mixed field writes none, as its cells\n"
           "     would not be the field's); signals within a second of the first are\n"
           "     the same request, a signal later than that ends the run without a report\n"
           "Every message of a run that ends with a status other than 0 is also written\n"
           "to standard error.\n"
           "\n"
           "--help and -h print this text, --version the version; a file of that name is\n"
           "read as the input file instead.\n";
}

void writeVersion(std::ostream& out)
{
    out << programTitle << '\n'
        << "release: " << programRelease() << '\n'
        << "revision: " << buildRevision() << '\n'
        << "compiler: " << KESP_COMPILER << '\n';
}

std::string_view buildRevision()
{
    return KESP_GIT_REVISION;
}

}  // namespace kesp
