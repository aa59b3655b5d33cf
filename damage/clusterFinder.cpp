#include "damage/clusterFinder.h"

#include "support/runError.h"

namespace kesp {

void stopForMissingDamage()
{
    throw MissingDamage();
}

}  // namespace kesp
