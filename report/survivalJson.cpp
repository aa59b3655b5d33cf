#include "kesp/report/survivalJson.h"

namespace kesp {

namespace {

using Json = nlohmann::ordered_json;

Json valueJson(double value, double sem)
{
    return {{"mean", value}, {"sem", sem}};
}

Json ratioJson(const RatioEstimate& ratio)
{
    return valueJson(ratio.value, ratio.sem);
}

Json coefficientsJson(const LinearQuadratic& lq)
{
    return {{"alpha_per_gy", valueJson(lq.alphaPerGy, lq.alphaSem)},
            {"beta_per_gy2", valueJson(lq.betaPerGy2, lq.betaSem)}};
}

Json rbeJson(const CellSurvival& survival)
{
    Json atDoses = Json::array();
    for (const RbeAtReferenceDose& r : survival.rbeAtReferenceDose) {
        atDoses.push_back({{"reference_dose_gy", r.referenceDoseGy}, {"rbe", ratioJson(r.rbe)}});
    }
    Json atLevels = Json::array();
    for (const RbeAtSurvival& r : survival.rbeAtSurvival) {
        atLevels.push_back({{"survival", r.survival},
                            {"dose_gy", r.doseGy},
                            {"reference_dose_gy", r.referenceDoseGy},
                            {"rbe", ratioJson(r.rbe)}});
    }
    return {{"rbe_low_dose", ratioJson(*survival.rbeLowDose)},
            {"rbe_high_dose", ratioJson(*survival.rbeHighDose)},
            {"rbe_at_reference_dose", atDoses},
            {"rbe_at_survival", atLevels}};
}

}  // namespace

Json survivalJson(const CellSurvival& survival)
{
    Json section = {{"theta_per_dsb", survival.theta}, {"kappa_per_dsb2", survival.kappa}};
    section.update(coefficientsJson(survival.coefficients));
    if (!survival.reference) {
        section["reference"] = nullptr;
        return section;
    }
    section["reference"] = coefficientsJson(*survival.reference);
    section.update(rbeJson(survival));
    return section;
}

}  // namespace kesp
