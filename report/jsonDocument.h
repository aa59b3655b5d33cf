#pragma once
/// \file
/// The results of a run as a JSON document, described key by key in
/// docs/kesp-results.schema.json: what the report shows, under names with
/// their units, for programs that read results without parsing the report.

#include <string>
#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"
#include "kesp/survival/cellSurvival.h"

namespace kesp {

/// What the program knows of a run besides its settings and results.
struct RunProvenance {
    std::string version;                ///< the program's name and version, as its banner shows them
    std::string revision;               ///< the revision of the source the program was built from
    std::string inputFile;              ///< the input file's name, as named on the command line
    std::string inputSha256;            ///< SHA-256 of the input file's bytes, 64 lower-case hex digits
    std::vector<std::string> switches;  ///< the switches as applied, in order ("/no2", "/json")
};

/// The whole document, indented by two blanks, ending with a newline. Every
/// number is written in full (the shortest text that reads back as the same
/// double); no data and no standard error (fewer than 2 cells) are null.
/// The program's release ("program": {"release"}) is the library's own,
/// programRelease(). With the cell survival of the run, a "survival"
/// section closes it.
std::string jsonDocument(const RunSettings& settings, const RunResults& results, const RunProvenance& provenance,
                         const CellSurvival* survival = nullptr);

}  // namespace kesp
