#pragma once
// Simulation of cells for the current particle type: lesion placement,
// chemical repair, cluster finding and tallying, cell by cell.

namespace kesp {

// Computes the damage yields of the current particle and allocates its DNA
// segment.
void prepareParticle();

// Releases the DNA segment of the current particle.
void releaseParticle();

// Run totals of SSB-category, DSB-category and all clusters, each / 6.0.
struct ProgressCounts {
    double ssb = 0.0;
    double dsb = 0.0;
    double all = 0.0;
};

// Simulates `count` cells into the cluster tally; returns the run totals so
// far, or zeros (and does nothing) when count is 0 or negative.
ProgressCounts simulateCells(int count);

}  // namespace kesp
