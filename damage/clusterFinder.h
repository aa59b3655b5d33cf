#pragma once
// Cutting a cell's lesions into clusters and classifying each cluster.

#include <cstdint>

#include "damage/dnaSegment.h"

namespace kesp {

struct ClusterBounds {
    std::int32_t first = 0;  // position of the cluster's first lesion
    std::int32_t last = 0;   // position of its last lesion
    bool more = false;       // false for the cluster that reaches the end of the segment
};

// The next cluster from the scan cursor on: a maximal run of lesion positions
// in which no 9 or more lesion-free positions follow each other. The cursor
// returns to position 1 when the scan reaches the end of the segment. Stops
// the run when no lesion lies between the cursor and the end.
ClusterBounds nextCluster(const DnaSegment& segment);

// Cluster class codes.
inline constexpr int classBaseDamageOnly = 1;   // BD
inline constexpr int classSsb = 2;              // one Sb
inline constexpr int classSsbWithBd = 3;        // one Sb and base damage
inline constexpr int classSsbPlus = 4;          // Sb on one strand only
inline constexpr int classTwoSsb = 5;           // Sb on both strands, no DSB
inline constexpr int classDsb = 6;              // two Sb forming a DSB
inline constexpr int classDsbWithBd = 7;        // DSB and base damage
inline constexpr int classDsbPlus = 8;          // DSB and one further Sb
inline constexpr int classDsbPlusPlus = 9;      // DSB and two or more further Sb

struct ClusterClass {
    int code = 0;
    std::int32_t lesions = 0;       // n, all lesions of the cluster
    std::int32_t strandBreaks = 0;  // s, its Sb
};

// Classifies the lesions at positions first..last. Two Sb on opposite strands
// at most 9 positions apart form a DSB.
ClusterClass classifyCluster(const DnaSegment& segment, std::int32_t first, std::int32_t last);

}  // namespace kesp
