// A project with headers of its own at the paths of KESP's internal ones
// ("engine/engine.h", "support/text.h") that uses the installed KESP: each
// include reaches its own project's header. Prints one run's DSB yield and
// the start of its JSON document.

#include <cstdio>
#include <optional>
#include <string>

#include "engine/engine.h"
#include "support/text.h"

#include "kesp/kesp.h"
#include "kesp/report/jsonDocument.h"

// KESP's build settings stay KESP's: its contract checks are not this
// project's business.
#if defined(KESP_CONTRACT_CHECKS)
#error "KESP's compile definitions reached an outside project"
#endif

int main()
{
    const outside::Engine engine;
    std::printf("%s, %d columns\n", engine.describe().c_str(), outside::trimmed(132));

    kesp::RunSettings settings;
    settings.field = kesp::singleParticleField("4He", 40.0);
    settings.cells = 20;
    settings.seed = 2024;
    settings.threads = 1;
    kesp::NoProgress quiet;
    try {
        const kesp::RunResults results = kesp::simulate(settings, quiet);
        const std::optional<kesp::ClusterYield> dsb = results.clusters(kesp::ClusterCategory::dsb);
        if (!dsb) {
            std::fprintf(stderr, "no DSB in %d cells\n", results.cellsSimulated);
            return 1;
        }
        std::printf("DSB per cell per Gy: %.3f (LET %.2f keV/um)\n", dsb->perCellPerGy.mean,
                    results.particleQuantities().letKeVPerUm);
        const std::string document = kesp::jsonDocument(settings, results, kesp::RunProvenance{});
        std::printf("JSON document of %zu characters\n", document.size());
    } catch (const kesp::RunError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
