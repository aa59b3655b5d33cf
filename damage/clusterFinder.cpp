#include "damage/clusterFinder.h"

#include "support/runError.h"

namespace kesp {

void stopForMissingDamage()
{
    stopRun("Damage information for this DNA segment is missing");
}

}  // namespace kesp
