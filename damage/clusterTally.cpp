#include "damage/clusterTally.h"

namespace kesp {

ClusterTally& clusterTally()
{
    static ClusterTally tally;
    return tally;
}

}  // namespace kesp
