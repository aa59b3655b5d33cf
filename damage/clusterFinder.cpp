#include "damage/clusterFinder.h"

#include "support/orderlyStop.h"

namespace kesp {

void stopForMissingDamage()
{
    stopRun("Damage information for this DNA segment is missing");
}

ClusterClass ClusterBuilder::classify() const
{
    const std::int32_t strandBreaks = strandBreaks_[0] + strandBreaks_[1];
    ClusterClass result{0, strandBreaks + baseDamages_, strandBreaks};
    if (strandBreaks == 0) {
        result.code = classBaseDamageOnly;
    } else if (dsb_) {
        if (strandBreaks == 2) {
            result.code = baseDamages_ == 0 ? classDsb : classDsbWithBd;
        } else {
            result.code = strandBreaks == 3 ? classDsbPlus : classDsbPlusPlus;
        }
    } else if (strandBreaks == 1) {
        result.code = baseDamages_ == 0 ? classSsb : classSsbWithBd;
    } else {
        result.code = strandBreaks_[0] == 0 || strandBreaks_[1] == 0 ? classSsbPlus : classTwoSsb;
    }
    return result;
}

}  // namespace kesp
