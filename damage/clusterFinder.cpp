#include "kesp/damage/clusterFinder.h"

#include "kesp/support/runError.h"

namespace kesp {

void stopForMissingDamage()
{
    throw MissingDamage();
}

}  // namespace kesp
