#pragma once

namespace kesp {

// CPU time of this process (user plus system), in seconds.
double cpuSeconds();

}  // namespace kesp
