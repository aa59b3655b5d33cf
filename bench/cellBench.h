#pragma once
// Benchmarks of the cell simulation and of the physics, registered in the
// order the report lists them.

#include <string>

namespace kesp::bench {

// Cells per second of the fast core and of the reference, and the time of
// just the random draws that place one cell's lesions (by Schrage's method and
// by drawCombined), for three particle types.
void registerCellBenchmarks();

// One range table, and the physics of a 100-component mixed field on one
// and on two threads.
void registerPhysicsBenchmarks();

// The name under which the mixed-field physics on the given number of
// threads reports its runs.
std::string mixedFieldRunName(int threads);

}  // namespace kesp::bench
