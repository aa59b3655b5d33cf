#include "damage/dnaSegment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "damage/chemicalRepair.h"
#include "damage/lesionPlacement.h"
#include "support/combinedGenerator.h"
#include "support/randomStream.h"

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

// A cell placed and repaired with a record, rebuilt from the record on a
// segment that held another cell: the same lesions site for site. The
// recording itself changes nothing: the same lesions and generator states
// as without it. Sparse and dense cells, Bl among the base damages, and
// repair probabilities that take the looked-up and the listed way of
// drawing sites.
TEST(LesionRecordTest, rebuiltCellHoldsThePlacedAndRepairedLesions)
{
    struct Case {
        DamageYields yields;
        double fbl;
    };
    const std::vector<Case> cases = {
        {{5000, 40, 120, 0.0}, 0.0},   {{5000, 40, 120, 0.05}, 0.3},  {{600, 300, 700, 0.5}, 0.5},
        {{600, 300, 700, 0.97}, 0.1},  {{64, 60, 60, 0.6}, 1.0},      {{1, 1, 1, 0.0}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.yields.segmentLength << ", " << c.yields.strandBreaks
                                        << " Sb, " << c.yields.baseDamages << " Bd, repair "
                                        << c.yields.repairProbability);
        DnaSegment recorded;
        DnaSegment plain;
        DnaSegment rebuilt;
        for (DnaSegment* segment : {&recorded, &plain, &rebuilt}) {
            allocateSegment(*segment, c.yields.segmentLength);
        }
        CombinedState recordedGenerator = seededCombined(97);
        CombinedState plainGenerator = recordedGenerator;
        RandomStreams recordedStreams;
        recordedStreams.seed(chemicalRepairStream, 4711);
        RandomStreams plainStreams = recordedStreams;
        LesionRecord record;
        for (int cell = 0; cell < 3; ++cell) {
            placeLesions(recorded, c.yields, c.fbl, recordedGenerator, &record);
            applyChemicalRepair(recorded, c.yields, recordedStreams, &record);
            placeLesions(plain, c.yields, c.fbl, plainGenerator);
            applyChemicalRepair(plain, c.yields, plainStreams);
            rebuildSegment(rebuilt, record);
            ASSERT_EQ(difference(recorded, plain), "") << "cell " << cell;
            ASSERT_EQ(recordedGenerator, plainGenerator) << "cell " << cell;
            ASSERT_EQ(recordedStreams.uniform(chemicalRepairStream), plainStreams.uniform(chemicalRepairStream));
            ASSERT_EQ(difference(rebuilt, recorded), "") << "cell " << cell;
        }
    }
}

}  // namespace
}  // namespace kesp
