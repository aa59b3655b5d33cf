#pragma once
// What the web page asks of the engine, as JSON texts in and out, so that the
// JavaScript side needs no binding of the engine's types. A request holds the
// text of an input file, the name it goes by, the switches and the SHA-256 of
// the input text (for the JSON document):
//
//     {"input": "...", "inputName": "kesp.inp", "switches": ["/no2", "/json"], "inputSha256": "..."}
//
// inputSha256 is 64 lower-case hex digits or empty (anything else is an
// error of kind usage: the document's schema would not take it). The input
// is read, checked and run through the library's request
// (kesp/report/runRequest.h), so that the page says and refuses what kesp
// does; an input past the size of an input file is an error of kind input.
// Field files named in the input are read from the current directory, where
// the page has written them. A request may also ask for the cell survival of
// its run under "survival" (web/engine/webSurvival.h).

#include <functional>
#include <string>

#include "web/engine/pageProgress.h"

namespace kesp::web {

// Reads the input as `kesp` would and says what it would say before the
// simulation: the diagnostics, the refusal of "/strict", or the error that
// stops the run (a field file that cannot be read, a particle that cannot be
// set up). The response:
//
//     {"diagnostics": [{"file", "line", "severity", "block", "message", "text"}],
//      "refusal": text or null, "error": {"kind", "message", "detail"} or null,
//      "cells": cells asked for, "singleParticle": true or false}
std::string checkRequest(const std::string& request);

// Checks the request as checkRequest does and, when nothing stops it, runs
// it. The response adds to the check's:
//
//     "report": the report text or null, "json": the JSON document or null,
//     "message": why there is no report (or what the report lacks) or null,
//     "interrupted": true or false, "cellsSimulated": cells done
//
// With "survival" asked for, the check adds the reference radiation's
// diagnostics (and what refuses or stops its run) to the run's; the run runs
// the reference radiation first, the progress counting its cells and then
// the radiation's, and adds
//
//     "survival": the survival section, its curves and the reference run (webSurvival.h) or null,
//     "survivalError": {"kind", "message", "detail"} when the model could not give it, or null
std::string runRequest(const std::string& request, const CellProgress& progress);

}  // namespace kesp::web
