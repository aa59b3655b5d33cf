#include "kesp/engine/fieldAverage.h"

#include "kesp/support/contract.h"

namespace kesp {

ComponentRow fieldAverage(const std::vector<ComponentRow>& rows)
{
    KESP_EXPECTS(!rows.empty(), "a field's average row needs its components' rows");
    ComponentRow a;
    a.name = "Avg";
    for (const ComponentRow& row : rows) {
        const double w = row.weight;
        const ComponentPhysics& p = row.physics;
        a.weight += w;
        a.kineticEnergy += w * row.kineticEnergy;
        a.energyPerNucleon += w * row.energyPerNucleon;
        a.kineticEnergyPerNucleonMeV += w * row.kineticEnergyPerNucleonMeV;
        a.zeffOverBetaSquared += w * row.zeffOverBetaSquared;
        a.dsbHypoxiaReductionFactor += w * row.dsbHypoxiaReductionFactor;
        a.physics.sElectronic += w * p.sElectronic;
        a.physics.sRadiative += w * p.sRadiative;
        a.physics.sNuclear += w * p.sNuclear;
        a.physics.sTotal += w * p.sTotal;
        a.physics.dpuf += w * p.dpuf;
        a.physics.yf += w * p.yf;
        a.physics.zf += w * p.zf;
        a.physics.rangeCsda += w * p.rangeCsda;
    }
    a.weight /= static_cast<double>(rows.size());
    return a;
}

}  // namespace kesp
