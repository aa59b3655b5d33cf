#include "damage/clusterFinder.h"

#include "support/orderlyStop.h"

namespace kesp {

void stopForMissingDamage()
{
    stopRun("Damage information for this DNA segment is missing");
}

}  // namespace kesp
