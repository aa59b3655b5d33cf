#pragma once
/// \file
/// A scan ready to run: its configurations checked as the input files they
/// stand for, the reference runs the RBE columns need, and the names of the
/// input files that reproduce every row with kesp.

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "kesp/input/diagnostics.h"
#include "kesp/input/runSettings.h"
#include "kesp/report/scanConfiguration.h"
#include "kesp/report/scanDefinition.h"

namespace kesp {

/// Whether a scan refuses configurations whose input draws a warning.
enum class Leniency {
    strict,   ///< a configuration whose input draws a warning refuses the scan
    lenient,  ///< such configurations run as kesp would run them (--lenient)
};

/// How an input file names a field file.
enum class FieldFileNaming {
    forThisProcess,  ///< a path this process finds, whatever its working directory
    emitted,         ///< the copy next to the emitted input files
};

/// One run of the scan: a configuration (a row of the table) or a reference.
struct ScanRun {
    Configuration configuration;  ///< the items the run sets
    bool reference = false;       ///< a reference run, not a row of the table
    std::size_t number = 0;       ///< from 1, among the rows or among the references
};

/// A scan ready to run, as planScan() makes it.
struct ScanPlan {
    ScanDefinition scan;                       ///< the scan the plan is of
    std::size_t configurations = 0;            ///< the number of configurations: the rows of the table
    std::vector<Configuration> references;     ///< distinct reference runs, in the order rows first need them
    std::vector<std::size_t> referenceOfRow;   ///< per configuration, into references; empty without reference
    std::map<std::filesystem::path, std::string> processFieldFiles;  ///< field file: as this process names it
    std::map<std::filesystem::path, std::string> emittedFieldFiles;  ///< field file: name of its copy
    std::vector<std::string> warnings;         ///< what --lenient let through, one line each

    /// The run of configuration `index` (from 0, below configurations): a
    /// row of the table.
    ScanRun row(std::size_t index) const;
    /// The reference run `index` of references (from 0, below its size).
    ScanRun referenceRun(std::size_t index) const;
};

/// Works out the configurations and reads each as its input file, with the
/// scan's switches. Throws ScanRefused for a survival block that
/// checkScanSurvival refuses, and when the input of any run would draw
/// a warning (unless lenient and no /strict is among the switches) or cannot
/// be read at all, listing every such run.
ScanPlan planScan(ScanDefinition scan, Leniency leniency);

/// The input file's text; the two namings differ only in the FN= item.
std::string inputTextOf(const ScanPlan& plan, const ScanRun& run, FieldFileNaming naming);

/// The name of the run's emitted input file ("rbe-003.inp",
/// "rbe-reference-1.inp").
std::string inputFileNameOf(const ScanPlan& plan, const ScanRun& run);

/// The run's settings: its input text read as kesp reads the input file,
/// with the scan's switches; the warnings go into `diagnostics` when given.
RunSettings settingsOf(const ScanPlan& plan, const ScanRun& run, InputDiagnostics* diagnostics = nullptr);

}  // namespace kesp
