#pragma once
// The average row of a mixed field: what the tables print below the
// components and what kesp-scan writes for a mixed field's physics.

#include <vector>

#include "kesp/engine/runResults.h"

namespace kesp {

// Each quantity of the rows weighted by the components' normalised weights
// and summed in component order; `weight` holds the mean weight and `name`
// is "Avg".
ComponentRow fieldAverage(const std::vector<ComponentRow>& rows);

}  // namespace kesp
