#include "kesp/damage/dnaSegment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kesp/damage/cellSimulation.h"
#include "kesp/damage/chemicalRepair.h"
#include "kesp/damage/lesionPlacement.h"
#include "kesp/support/combinedGenerator.h"
#include "kesp/support/randomStream.h"

namespace kesp {
namespace {

// Where two segments of one length differ, or "" when they hold the same
// lesions and counts.
std::string difference(const DnaSegment& a, const DnaSegment& b)
{
    for (int strand = 1; strand <= 2; ++strand) {
        for (std::int32_t p = 0; p <= a.length; ++p) {
            if (lesionAt(a, strand, p) != lesionAt(b, strand, p)) {
                return "strand " + std::to_string(strand) + " position " + std::to_string(p);
            }
        }
    }
    return a.lesionCounts == b.lesionCounts ? "" : "lesion counts";
}

// A cell placed and repaired with lesion maps, cut into clusters from its
// maps: the same run tally, entry for entry, as cut from its segment. Taking
// the maps changes nothing: the same lesions and generator states as without
// them. Sparse and dense cells, Bl among the base damages, and repair
// probabilities that take the looked-up and the listed way of drawing
// sites and remove from none to nearly all strand breaks.
TEST(LesionMapsTest, cellCutFromItsMapsTalliesAsCutFromItsSegment)
{
    struct Case {
        DamageYields yields;
        double fbl;
    };
    const std::vector<Case> cases = {
        {{5000, 40, 120, 0.0}, 0.0},   {{5000, 40, 120, 0.05}, 0.3},  {{600, 300, 700, 0.5}, 0.5},
        {{600, 300, 700, 0.97}, 0.1},  {{64, 60, 60, 0.6}, 1.0},      {{1, 1, 1, 0.0}, 0.0},
        {{148679, 1300, 3900, 0.02}, 0.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.yields.segmentLength << ", " << c.yields.strandBreaks
                                        << " Sb, " << c.yields.baseDamages << " Bd, repair "
                                        << c.yields.repairProbability);
        DnaSegment mapped;
        DnaSegment plain;
        allocateSegment(mapped, c.yields.segmentLength);
        allocateSegment(plain, c.yields.segmentLength);
        CombinedState mappedGenerator = seededCombined(97);
        CombinedState plainGenerator = mappedGenerator;
        RandomStreams mappedStreams;
        mappedStreams.seed(chemicalRepairStream, 4711);
        RandomStreams plainStreams = mappedStreams;
        LesionMaps maps;
        ClusterTally fromMaps;
        ClusterTally fromSegment;
        CellTally cell;
        for (int n = 0; n < 3; ++n) {
            placeLesions(mapped, c.yields, c.fbl, mappedGenerator, &maps.strandBreaks);
            applyChemicalRepair(mapped, c.yields, mappedStreams);
            copyOccupancy(mapped, maps.lesions);
            placeLesions(plain, c.yields, c.fbl, plainGenerator);
            applyChemicalRepair(plain, c.yields, plainStreams);
            ASSERT_EQ(difference(mapped, plain), "") << "cell " << n;
            ASSERT_EQ(mappedGenerator, plainGenerator) << "cell " << n;
            ASSERT_EQ(mappedStreams.uniform(chemicalRepairStream), plainStreams.uniform(chemicalRepairStream));
            tallyCellClusters(maps, cell, 0.5);
            endCell(fromMaps, cell);
            tallyCellClusters(plain, cell, 0.5);
            endCell(fromSegment, cell);
            ASSERT_TRUE(fromMaps == fromSegment) << "cell " << n;
        }
    }
}

}  // namespace
}  // namespace kesp
