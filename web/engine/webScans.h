#pragma once
// The page's curves as a scan of the library: the page describes the scan
// as a JSON structure (the items that vary, the items every run shares, the
// reference radiation and the switches, named as the input file names them),
// and the engine plans it, runs its rows one at a time and forms the table,
// the RBE and the OER exactly as kesp-scan does.
//
//     {"call": "plan", "plan": {"name": "kesp-curve",
//         "vary": [{"item": "PAR", "values": ["p", "12C"]},
//                  {"item": "MEV/A", "range": {"from": 5, "to": 50, "points": 3, "spacing": "log"}},
//                  {"item": "PO2", "values": ["21", "0"]}],
//         "fixed": [{"item": "NOCS", "value": "100"}, {"item": "SEED", "value": "4242"}],
//         "reference": [{"item": "PAR", "value": "e"}, {"item": "KE", "value": "1"}],
//         "switches": ["/strict"],
//         "survival": {"alpha_per_gy": 0.2, "beta_per_gy2": 0.02}}}
//     {"call": "run", "plan": {...}, "run": {"reference": false, "index": 3}}
//     {"call": "table", "plan": {...}, "heading": "...", "rows": [{"index", "fields", "dsb", "dsbSem"}],
//      "references": [...]}
//
// With a survival block (web/engine/webScanSurvival.h) each row carries its
// DSB sources ("dsbSources") from the run to the table, which forms the
// survival columns from them as kesp-scan does.

#include <cstddef>
#include <functional>
#include <string>

#include "web/engine/pageProgress.h"

namespace kesp::web {

/// The most rows a curve of the page may have: a larger one is refused at
/// once, before any of its inputs is read.
inline constexpr std::size_t maxCurveRows = 2000;

/// Answers a scan request (see above) with a JSON text:
///  - plan: {"problems": [texts], "refusal": text or null, "diagnostics": [{"text", "severity"}],
///           "rows", "references", "cells", "runs": [{"reference", "index", "label"}],
///           "columns": [names], "input": the input text of the last row}
///  - run: {"row": {"fields", "dsb", "dsbSem", with a survival block "dsbSources"} or null, "message": text or null,
///          "cellsSimulated", "interrupted"}
///  - table: {"csv": the table with the heading's comment line, "columns",
///            "rows": [{"index", "fields"}], "references": [{"index", "fields"}],
///            "done", "planned"}
std::string scanRequest(const std::string& request, const CellProgress& progress);

}  // namespace kesp::web
