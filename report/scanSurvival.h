#pragma once
/// \file
/// The cell-survival columns of a scan: the measured alpha and beta of the
/// reference radiation for the cell line, and the doses and survival levels
/// its RBE (and OER) columns are given at. Each row's alpha and beta come
/// from its own DSB sources through the cell's parameters, which the
/// reference run under the measurement's conditions gives (the reference
/// radiation at the highest oxygen level of the scan, the row's other
/// settings kept; the row's own conditions when the oxygen level does not
/// vary); its RBEs are against the reference radiation under the row's own
/// conditions (survival/cellSurvival.h).
///
/// \code{.cpp}
/// kesp::ScanSurvival survival;
/// survival.alphaPerGy = 0.2;
/// survival.betaPerGy2 = 0.02;
/// survival.questions.survivalLevels = {0.1, 0.01};
/// definition.survival = survival;   // needs definition.reference
/// \endcode

#include <optional>
#include <string>
#include <vector>

#include "kesp/survival/cellSurvival.h"
#include "kesp/survival/linearQuadratic.h"

namespace kesp {

struct ScanDefinition;

/// Where the survival block's values stand in the scan file, counted from
/// 1; 0 when built in code.
struct ScanSurvivalLines {
    int block = 0;      ///< of the `survival:` key
    int alpha = 0;      ///< of `alpha`
    int beta = 0;       ///< of `beta`
    int alphaBeta = 0;  ///< of `alpha_beta`
    std::vector<int> referenceDoses;  ///< of each reference dose
    std::vector<int> survivalLevels;  ///< of each survival level
};

/// The survival block of a scan (`survival:` in the scan file).
struct ScanSurvival {
    double alphaPerGy = 0.0;              ///< alpha_R, Gy^-1, measured for the reference radiation
    std::optional<double> betaPerGy2;     ///< beta_R, Gy^-2
    std::optional<double> alphaBetaGy;    ///< alpha_R / beta_R, Gy: in place of beta_R
    SurvivalQuestions questions;          ///< reference doses (Gy) and survival levels of the RBE columns
    ScanSurvivalLines lines;              ///< where each value stands in the scan file, for messages
};

/// alpha_R and beta_R (beta_R = alpha_R / (alpha/beta) when that is given).
MeasuredReference measuredReference(const ScanSurvival& survival);

/// Throws ScanRefused, naming the scan file and line, for a survival block
/// without a reference radiation, alpha below 0, neither or both of beta
/// and alpha_beta, a beta or alpha_beta not above 0, a reference dose not
/// above 0 or a survival level outside (0, 1) (kesp::checkSurvivalQuestions),
/// or a dose or level given twice (each has columns of its own).
void checkScanSurvival(const ScanDefinition& scan);

/// The columns of the survival block, in order: alpha and beta, the RBE
/// limits, the RBE at each reference dose and at each survival level, and
/// with `oerColumns` the OER limits and the OER at each survival level;
/// each followed by its SEM.
std::vector<std::string> survivalColumns(const ScanSurvival& survival, bool oerColumns);

/// The DSB sources of a run as its row keeps them (kesp::dsbSources).
struct RowSources {
    std::vector<DsbSource> sources;  ///< empty where the run gives none (see rowSourcesOf)
    bool withSem = true;             ///< every yield has an SEM (its run simulated 2 cells or more)
};

/// The run's DSB sources; none for a run without a cell or a mixed field
/// with a component that got no cell of its own.
RowSources rowSourcesOf(const RunResults& results);

/// The runs a row's survival fields are formed from; null where not known
/// (or, for the partner, none).
struct SurvivalRuns {
    const RowSources* row = nullptr;            ///< the row's own run
    const RowSources* cellReference = nullptr;  ///< the reference radiation under the measurement's conditions
    /// The reference radiation under the row's conditions; not needed (and
    /// not read) when those are the measurement's.
    const RowSources* reference = nullptr;
    bool atMeasurement = false;                 ///< the row's conditions are the measurement's
    const RowSources* oxygenPartner = nullptr;  ///< the row its OER pairs it with
    bool highOxygen = false;                    ///< the row is the pair's aerobic one
};

/// The row's survival fields, one per column of survivalColumns: empty
/// where a run they need is not known or gives no DSB sources, where the
/// value is undefined (a dose that no dose reaches, a ratio over 0), and
/// the SEMs where a run had fewer than 2 cells. Throws RunError of kind
/// input, naming the values, when the reference run under the
/// measurement's conditions gives the cell no parameters (a negative theta,
/// no DSB).
std::vector<std::string> survivalFields(const ScanSurvival& survival, bool oerColumns, const SurvivalRuns& runs);

}  // namespace kesp
