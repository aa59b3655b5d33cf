#pragma once
// The scan benchmark: a 24-configuration scan by kesp-scan on two jobs
// against kesp run on its 24 emitted input files one after another.

#include <string>

namespace kesp::bench {

void registerScanBenchmarks();

// The names under which the two report their runs.
std::string scanRunName();
std::string sequentialRunName();

}  // namespace kesp::bench
