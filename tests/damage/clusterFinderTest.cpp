#include "kesp/damage/clusterFinder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "damage/referenceCellSimulation.h"
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

// The clusters of a segment as the reference cuts and classifies them, one
// position at a time.
std::vector<Found> referenceScan(const reference::DnaSegment& segment)
{
    std::vector<Found> found;
    std::int32_t cursor = 1;
    for (;;) {
        const reference::ClusterBounds bounds = reference::nextCluster(segment, cursor);
        const reference::ClusterClass c = reference::classifyCluster(segment, bounds.first, bounds.last);
        found.push_back({bounds.first, bounds.last, c.code, c.lesions, c.strandBreaks});
        if (!bounds.more) {
            return found;
        }
    }
}

// Random segments from sparse to dense, with lesions at both ends and across
// word and batch edges, and codes left behind by an earlier cell where the
// bit is now clear: the scan gives exactly the reference's clusters.
TEST(ClusterFinderTest, randomSegmentsMatchTheReference)
{
    std::uint32_t pick = 2024;
    const auto next = [&pick](std::uint32_t range) {
        pick = pick * 1664525U + 1013904223U;
        return (pick >> 8) % range;
    };
    for (const std::int32_t length : {1, 63, 64, 255, 256, 257, 1000, 5000}) {
        for (const std::uint32_t perMille : {2U, 30U, 120U, 400U}) {
            DnaSegment segment;
            allocateSegment(segment, length);
            reference::DnaSegment expected;
            reference::allocateSegment(expected, length);
            // A stale code under every clear bit.
            for (std::int32_t p = 1; p <= length; ++p) {
                setLesion(segment, 1, p, baseLesion);
                setLesion(segment, 2, p, strandBreak);
            }
            clearStrands(segment);
            for (std::int32_t p = 1; p <= length; ++p) {
                for (int strand = 1; strand <= 2; ++strand) {
                    const bool end = p == 1 || p == length;
                    if (end || next(1000) < perMille) {
                        const auto code = static_cast<std::int32_t>(1 + next(3));
                        setLesion(segment, strand, p, code);
                        reference::lesionAt(expected, strand, p) = code;
                    }
                }
            }
            EXPECT_EQ(scan(segment), referenceScan(expected))
                << "length " << length << ", " << perMille << " per mille";
        }
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
