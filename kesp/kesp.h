#pragma once
/// \file
/// KESP as a library, in one header: settings in, typed results out.
///
/// \code{.cpp}
/// #include "kesp/kesp.h"
///
/// kesp::RunSettings settings;                  // or kesp::readInputFile("run.inp")
/// settings.field = kesp::singleParticleField("p", 10.0);
/// settings.cells = 1000;
/// settings.oxygenPercent = 21.0;
/// settings.threads = 1;                        // 0: the CPUs of the affinity mask
/// kesp::NoProgress quiet;
/// try {
///     const kesp::RunResults results = kesp::simulate(settings, quiet);
/// } catch (const kesp::RunError& error) {      // error.kind(), error.what()
/// }
/// \endcode
///
/// A request (kesp/report/runRequest.h) takes settings or an input file's
/// text through the checks, /strict and the run to the report text and the
/// JSON document, as the kesp program does.
///
/// Cell survival (kesp/survival/cellSurvival.h): a cell line from the
/// measured alpha and beta of a reference radiation and a run of it gives a
/// run's alpha and beta and its RBE for cell killing.
///
/// One run owns everything it changes, so runs may go on side by side on
/// several threads and give the numbers of separate kesp runs.

/// \namespace kesp
/// Everything of KESP: the physics of a particle crossing a cell nucleus, the
/// damage it does to the DNA, the Monte Carlo run over many cells, cell
/// survival from that damage, and the report, JSON document and scans made
/// of runs.

#include "kesp/engine/engine.h"            // SimulationRun, simulate
#include "kesp/engine/progressObserver.h"  // ProgressObserver, NoProgress
#include "kesp/engine/runResults.h"        // RunResults
#include "kesp/input/inputReader.h"        // readInputFile, readInput
#include "kesp/input/radiationField.h"     // RadiationField, singleParticleField, mixedField
#include "kesp/input/runSettings.h"        // RunSettings
#include "kesp/input/runSwitches.h"        // RunSwitches, applySwitchWord
#include "kesp/input/settingsCheck.h"      // checkSettings
#include "kesp/report/runRequest.h"        // RunRequest, RunOutcome, runRequest
#include "kesp/report/scanDefinition.h"    // ScanDefinition: a scan as a structure
#include "kesp/report/scanPairing.h"       // rowPairing, pairedFields: RBE and OER
#include "kesp/report/scanPlan.h"          // planScan
#include "kesp/report/scanSurvival.h"      // ScanSurvival: the cell-survival columns
#include "kesp/report/scanTable.h"         // rowValues, tableColumns
#include "kesp/support/runError.h"         // RunError, ErrorKind
#include "kesp/support/stopFlag.h"         // StopFlag
#include "kesp/survival/cellSurvival.h"    // SurvivalModel, cellSurvival: alpha, beta, RBE for cell killing
#include "kesp/survival/dsbSources.h"      // dsbSources, referenceRadiation
