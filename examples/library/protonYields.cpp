// KESP as a library: DSB yields of protons at a few energies, aerobic and
// anoxic, each run on a thread of its own, read by name. Build with the project (target
// protonYields) and run it without arguments.

#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "kesp/kesp.h"

namespace {

struct Case {
    double kineticEnergyMeV;
    double oxygenPercent;  // percent O2
};

kesp::RunSettings settingsFor(const Case& c)
{
    kesp::RunSettings settings;
    settings.field = kesp::singleParticleField("p", c.kineticEnergyMeV);
    settings.oxygenPercent = c.oxygenPercent;
    settings.cells = 200;
    settings.seed = 12345;
    settings.threads = 1;  // the cases run side by side, one thread each
    return settings;
}

}  // namespace

int main()
{
    const std::vector<Case> cases{{1.0, 21.0}, {1.0, 0.0}, {10.0, 21.0}, {10.0, 0.0}};
    std::vector<kesp::RunResults> results(cases.size());
    std::vector<std::string> errors(cases.size());
    {
        std::vector<std::jthread> runs;  // joined at the end of this block
        for (std::size_t i = 0; i < cases.size(); ++i) {
            runs.emplace_back([&results, &errors, &cases, i] {
                kesp::NoProgress quiet;
                try {
                    results[i] = kesp::simulate(settingsFor(cases[i]), quiet);
                } catch (const kesp::RunError& error) {
                    errors[i] = error.what();
                }
            });
        }
    }
    for (const std::string& error : errors) {
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    std::printf("  T (MeV)  pO2 (%%)  LET (keV/um)  DSB per cell per Gy  DSB per Gy per Gbp   DSB+ (%%)\n");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const kesp::RunResults& r = results[i];
        const std::optional<kesp::ClusterYield> dsb = r.clusters(kesp::ClusterCategory::dsb);
        if (!dsb) {
            std::printf("%9.1f %9.1f   no DSB in %d cells\n", cases[i].kineticEnergyMeV, cases[i].oxygenPercent,
                        r.cellsSimulated);
            continue;
        }
        // 200 cells: every mean has its standard error.
        std::printf("%9.1f %9.1f %13.2f %12.3f +- %5.3f %11.4f +- %6.4f %10.2f\n", cases[i].kineticEnergyMeV,
                    cases[i].oxygenPercent, r.particleQuantities().letKeVPerUm, dsb->perCellPerGy.mean,
                    dsb->perCellPerGy.sem.value_or(0.0), dsb->perGyPerGbp.mean, dsb->perGyPerGbp.sem.value_or(0.0),
                    r.percent(kesp::ComplexityClass::dsbPlus));
    }
    return 0;
}
