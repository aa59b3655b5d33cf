#pragma once
// The "survival" section of the results document: the cell line, the
// radiation's alpha and beta and its RBEs for cell killing.

#include <nlohmann/json.hpp>

#include "kesp/survival/cellSurvival.h"

namespace kesp {

nlohmann::ordered_json survivalJson(const CellSurvival& survival);

}  // namespace kesp
