#pragma once
// Benchmarks of the cell simulation and of the physics, registered in the
// order the report lists them.

namespace kesp::bench {

// Cells per second of the fast core and of the reference, and the time of
// just the random draws one cell makes, for three particle types.
void registerCellBenchmarks();

// One range table, and the physics of a 100-component mixed field on one
// and on two threads.
void registerPhysicsBenchmarks();

}  // namespace kesp::bench
