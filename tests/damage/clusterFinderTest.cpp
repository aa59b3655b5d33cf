#include "damage/clusterFinder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "damage/runErrorMessage.h"
#include "damage/segmentWithLesions.h"

namespace kesp {
namespace {

using test::Lesion;
using test::segmentWith;

struct Found {
    std::int32_t first;
    std::int32_t last;
    int code;
    std::int32_t lesions;
    std::int32_t strandBreaks;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f)
{
    return out << "[" << f.first << ".." << f.last << " code " << f.code << " n " << f.lesions
               << " s " << f.strandBreaks << "]";
}

std::vector<Found> scan(const DnaSegment& segment)
{
    std::vector<Found> found;
    scanClusters(segment, [&found](const ClusterBuilder& cluster, const ClusterClass& c) {
        found.push_back({cluster.first, cluster.last, c.code, c.lesions, c.strandBreaks});
    });
    return found;
}

constexpr std::int32_t Sb = strandBreak;
constexpr std::int32_t Bd = baseDamage;
constexpr std::int32_t Bl = baseLesion;

TEST(ClusterFinderTest, clustersAndClassesOfHandBuiltSegments)
{
    struct Case {
        std::string what;
        std::vector<Lesion> lesions;
        std::vector<Found> expected;
    };
    const std::vector<Case> cases = {
        {"opposite Sb at one position", {{100, 1, Sb}, {100, 2, Sb}}, {{100, 100, 6, 2, 2}}},
        {"opposite Sb 9 apart", {{100, 1, Sb}, {109, 2, Sb}}, {{100, 109, 6, 2, 2}}},
        {"strand 2 first", {{100, 2, Sb}, {109, 1, Sb}}, {{100, 109, 6, 2, 2}}},
        {"opposite Sb 10 apart bridged by a Bd",
         {{100, 1, Sb}, {105, 1, Bd}, {110, 2, Sb}}, {{100, 110, 5, 3, 2}}},
        {"opposite Sb 10 apart", {{100, 1, Sb}, {110, 2, Sb}},
         {{100, 100, 2, 1, 1}, {110, 110, 2, 1, 1}}},
        {"8 free positions between", {{100, 1, Bd}, {109, 2, Bl}}, {{100, 109, 1, 2, 0}}},
        {"9 free positions between", {{100, 1, Bd}, {110, 2, Bd}},
         {{100, 100, 1, 1, 0}, {110, 110, 1, 1, 0}}},
        {"DSB with Bd", {{100, 1, Sb}, {101, 1, Bd}, {109, 2, Sb}}, {{100, 109, 7, 3, 2}}},
        {"DSB and one more Sb", {{100, 1, Sb}, {102, 2, Sb}, {103, 2, Bd}, {104, 1, Sb}},
         {{100, 104, 8, 4, 3}}},
        {"DSB and two more Sb", {{100, 1, Sb}, {102, 2, Sb}, {104, 1, Sb}, {106, 2, Sb}},
         {{100, 106, 9, 4, 4}}},
        {"Sb with Bd", {{100, 1, Sb}, {101, 2, Bd}}, {{100, 101, 3, 2, 1}}},
        {"two Sb on one strand", {{100, 1, Sb}, {105, 1, Sb}}, {{100, 105, 4, 2, 2}}},
        {"lesions at both ends", {{1, 2, Bd}, {300, 1, Sb}},
         {{1, 1, 1, 1, 0}, {300, 300, 2, 1, 1}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scan(segmentWith(300, c.lesions)), c.expected) << c.what;
    }
}

TEST(ClusterFinderTest, segmentWithoutLesionsStopsTheRun)
{
    const DnaSegment segment = segmentWith(300, {});
    EXPECT_EQ(test::runErrorMessage([&segment] { scan(segment); }),
              "Damage information for this DNA segment is missing");
}

}  // namespace
}  // namespace kesp
