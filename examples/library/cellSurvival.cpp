// KESP as a library: cell survival of 10 MeV/u carbon ions for a cell line
// whose reference radiation (1 MeV electrons) has alpha_R = 0.2 Gy^-1 and
// beta_R = 0.02 Gy^-2, aerobic and at 0.5 % O2: alpha, beta, the RBE for
// cell killing and the OER for cell killing. Run it without arguments.

#include <cstdio>

#include "kesp/kesp.h"

namespace {

kesp::RunResults run(const kesp::RadiationField& field, double oxygenPercent)
{
    kesp::RunSettings settings;
    settings.field = field;
    settings.oxygenPercent = oxygenPercent;
    settings.cells = 1000;
    settings.seed = 12345;
    kesp::NoProgress quiet;
    return kesp::simulate(settings, quiet);
}

void show(const char* title, const kesp::CellSurvival& s)
{
    std::printf("%s\n", title);
    std::printf("  alpha %.4f +- %.4f Gy^-1, beta %.5f +- %.5f Gy^-2\n", s.coefficients.alphaPerGy,
                s.coefficients.alphaSem, s.coefficients.betaPerGy2, s.coefficients.betaSem);
    std::printf("  RBE low dose %.3f +- %.3f, at 2 Gy of the reference %.3f +- %.3f, high dose %.3f +- %.3f\n",
                s.rbeLowDose->value, s.rbeLowDose->sem, s.rbeAtReferenceDose.front().rbe.value,
                s.rbeAtReferenceDose.front().rbe.sem, s.rbeHighDose->value, s.rbeHighDose->sem);
    const kesp::RbeAtSurvival& tenth = s.rbeAtSurvival.front();
    std::printf("  10 %% survival: %.3f Gy (reference %.3f Gy), RBE %.3f +- %.3f\n", tenth.doseGy,
                tenth.referenceDoseGy, tenth.rbe.value, tenth.rbe.sem);
}

}  // namespace

int main()
{
    try {
        const kesp::RadiationField carbon = kesp::singleParticleField("12C", 120.0);
        const kesp::RadiationField electrons = kesp::defaultReferenceRadiation();
        const kesp::RunResults referenceAerobic = run(electrons, 21.0);
        const kesp::RunResults referenceHypoxic = run(electrons, 0.5);
        const kesp::RunResults carbonAerobic = run(carbon, 21.0);
        const kesp::RunResults carbonHypoxic = run(carbon, 0.5);

        const kesp::MeasuredReference measured{0.2, 0.02};  // at 21 % O2
        const kesp::SurvivalModel aerobic = kesp::survivalModel(measured, referenceAerobic);
        const kesp::SurvivalModel hypoxic = kesp::survivalModel(measured, referenceAerobic, &referenceHypoxic);
        std::printf("theta %.5f per DSB, kappa %.3e per DSB^2\n", aerobic.cell.theta(), aerobic.cell.kappa());
        const kesp::CellSurvival atAir = kesp::cellSurvival(aerobic, carbonAerobic);
        const kesp::CellSurvival atLowOxygen = kesp::cellSurvival(hypoxic, carbonHypoxic);
        show("12C, 10 MeV/u, 21 % O2", atAir);
        show("12C, 10 MeV/u, 0.5 % O2 (against 1 MeV e at 0.5 % O2)", atLowOxygen);
        const kesp::RatioEstimate oer =
            kesp::oerAtSurvival(atLowOxygen.coefficients, atAir.coefficients, 0.1);
        const kesp::RatioEstimate oerReference =
            kesp::oerAtSurvival(*atLowOxygen.reference, *atAir.reference, 0.1);
        std::printf("OER for cell killing at 10 %% survival: 12C %.3f +- %.3f, 1 MeV e %.3f +- %.3f\n", oer.value,
                    oer.sem, oerReference.value, oerReference.sem);
    } catch (const kesp::RunError& error) {
        std::fprintf(stderr, "cellSurvival: %s\n", error.what());
        return 1;
    }
    return 0;
}
