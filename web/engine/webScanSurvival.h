#pragma once
// The survival block of a page's curve, and the DSB sources its rows carry
// from the run that made them to the table that forms their survival
// columns. A plan asks for the block with the measured alpha and beta of its
// reference radiation and, optionally, the RBE questions (the library's
// defaults when none are given):
//
//     "survival": {"alpha_per_gy": 0.2, "beta_per_gy2": 0.02,
//                  "reference_doses_gy": [2], "survival_levels": [0.1]}
//
// A row's sources travel as JSON doubles, which read back to the same
// doubles (a value that is not a finite number travels as null and reads
// back as NaN, which the survival columns leave empty either way):
//
//     "dsbSources": {"withSem": true, "sources": [{"weight": 1, "dsb_per_cell_per_gy": 40.1,
//                    "dsb_per_cell_per_gy_sem": 0.9, "zf_gy": 0.0012}]}

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "kesp/report/scanSurvival.h"

namespace kesp::web {

/// The plan's survival block; none when the plan has none. What is not as
/// above (a value that is not a number, a key of another name, no alpha)
/// goes to `problems`; the values themselves are the library's to check
/// (planScan).
std::optional<ScanSurvival> scanSurvivalOf(const nlohmann::json& plan, std::vector<std::string>& problems);

nlohmann::json sourcesJson(const RowSources& row);

/// The sources of a row as sourcesJson wrote them; none (and no SEM) when
/// the row carries none. Throws RunError of kind usage for sources that are
/// not as above.
RowSources sourcesIn(const nlohmann::json& row);

}  // namespace kesp::web
