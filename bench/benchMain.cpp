// Runs the benchmarks and prints the ratios they are judged by: the fast
// cell simulation against the reference, the time per cell against the time
// of the random draws that place its lesions (from the generator as defined,
// by Schrage's method, and from its faster form drawCombined), and the mixed-field physics on two threads
// against one, and a scan by kesp-scan on two jobs against kesp run on its
// input files one after another.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cellBench.h"
#include "scanBench.h"

namespace {

// The console report, remembering each benchmark's seconds per iteration.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                // CPU time, robust against other load on the machine, except
                // where threads are timed by the wall clock.
                const bool wallClock = run.benchmark_name().find("real_time") != std::string::npos;
                const double seconds =
                    wallClock ? run.real_accumulated_time : run.cpu_accumulated_time;
                // Of repeated runs the fastest, the one least disturbed.
                const double perIteration = seconds / static_cast<double>(run.iterations);
                const auto [entry, added] =
                    secondsPerIteration.try_emplace(run.benchmark_name(), perIteration);
                if (!added && perIteration < entry->second) {
                    entry->second = perIteration;
                }
            }
        }
    }

    std::map<std::string, double> secondsPerIteration;
};

void printRatio(const std::map<std::string, double>& seconds, const std::string& numerator,
                const std::string& denominator, const char* what)
{
    const auto n = seconds.find(numerator);
    const auto d = seconds.find(denominator);
    if (n != seconds.end() && d != seconds.end() && d->second > 0.0) {
        std::printf("  %-80s %8.2f\n", what, n->second / d->second);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    kesp::bench::registerCellBenchmarks();
    kesp::bench::registerPhysicsBenchmarks();
    kesp::bench::registerScanBenchmarks();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& s = reporter.secondsPerIteration;
    std::printf("\nRatios\n");
    for (const std::string particle : {"electron 1 MeV", "proton 10 MeV", "iron 1 MeV/u"}) {
        printRatio(s, "cells/reference/" + particle, "cells/fast/" + particle,
                   ("cells/s fast / reference, " + particle).c_str());
        printRatio(s, "cells/fast/" + particle, "placementDraws/" + particle,
                   ("time per cell / time of its placement draws (Schrage), " + particle).c_str());
        printRatio(s, "cells/fast/" + particle, "placementDraws/drawCombined/" + particle,
                   ("time per cell / time of its placement draws (drawCombined inlined), " + particle).c_str());
    }
    printRatio(s, kesp::bench::mixedFieldRunName(1), kesp::bench::mixedFieldRunName(2),
               "mixed-field physics, 1 thread / 2 threads");
    printRatio(s, kesp::bench::scanRunName(), kesp::bench::sequentialRunName(),
               "24-configuration scan: kesp-scan -j 2 / kesp one after another");
    return 0;
}
