#pragma once
// The cluster totals a run reports while it goes on.

namespace kesp {

// Run totals of SSB-category, DSB-category and all clusters, each / 6.0.
struct ProgressCounts {
    double ssb = 0.0;
    double dsb = 0.0;
    double all = 0.0;
};

}  // namespace kesp
