#pragma once
/// \file
/// The cluster totals a run reports while it goes on.

namespace kesp {

/// Run totals of SSB-category, DSB-category and all clusters, each / 6.0.
struct ProgressCounts {
    double ssb = 0.0;  ///< clusters of the SSB category so far, / 6.0
    double dsb = 0.0;  ///< clusters of the DSB category so far, / 6.0
    double all = 0.0;  ///< all clusters so far, / 6.0
};

}  // namespace kesp
