#pragma once
// How many CPUs this process may run on.

namespace kesp {

// The CPUs of the process's affinity mask (as taskset sets it), at least one.
unsigned affinityCpuCount();

}  // namespace kesp
