#pragma once
// Cutting a cell's lesions into clusters and classifying each cluster, in one
// forward pass over the lesions.

#include <bit>
#include <cstdint>

#include "damage/damageYields.h"
#include "damage/dnaSegment.h"

namespace kesp {

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

// A cluster as the scan collects it, lesion by lesion in position order
// (strand 1 before strand 2 at one position).
class ClusterBuilder {
public:
    void start(std::int32_t position)
    {
        *this = ClusterBuilder{};
        first = position;
    }

    void addLesion(std::int32_t position, int strand, std::int32_t code)
    {
        last = position;
        if (code != strandBreak) {
            ++baseDamages_;
            return;
        }
        // Two Sb on opposite strands at most 9 positions apart form a DSB.
        const int other = 2 - strand;
        if (lastStrandBreak_[other] >= position - (maxDsbSeparationBp - 1)) {
            dsb_ = true;
        }
        lastStrandBreak_[strand - 1] = position;
        ++strandBreaks_[strand - 1];
    }

    ClusterClass classify() const;

    std::int32_t first = 0;
    std::int32_t last = 0;

private:
    static constexpr std::int32_t none = -1000;
    std::int32_t strandBreaks_[2] = {0, 0};
    std::int32_t baseDamages_ = 0;
    std::int32_t lastStrandBreak_[2] = {none, none};
    bool dsb_ = false;
};

inline ClusterClass ClusterBuilder::classify() const
{
    const std::int32_t strandBreaks = strandBreaks_[0] + strandBreaks_[1];
    ClusterClass result{0, strandBreaks + baseDamages_, strandBreaks};
    if (strandBreaks == 0) {
        result.code = classBaseDamageOnly;
    } else if (dsb_) {
        if (strandBreaks == 2) {
            result.code = baseDamages_ == 0 ? classDsb : classDsbWithBd;
        } else {
            result.code = strandBreaks == 3 ? classDsbPlus : classDsbPlusPlus;
        }
    } else if (strandBreaks == 1) {
        result.code = baseDamages_ == 0 ? classSsb : classSsbWithBd;
    } else {
        result.code = strandBreaks_[0] == 0 || strandBreaks_[1] == 0 ? classSsbPlus : classTwoSsb;
    }
    return result;
}

[[noreturn]] void stopForMissingDamage();

// Hands every cluster of the segment, classified, to visit(builder, class) in
// position order. A cluster is a maximal run of lesion positions in which no
// 9 or more lesion-free positions follow each other. Stops the run when the
// segment holds no lesion.
template <typename Visit>
void scanClusters(const DnaSegment& segment, Visit&& visit)
{
    const std::uint64_t* strand1 = strandWords(segment, 1);
    const std::uint64_t* strand2 = strandWords(segment, 2);
    const std::size_t strand2Base = siteIndex(segment, 2, 0);
    ClusterBuilder cluster;
    bool open = false;
    for (std::size_t w = 0; w < segment.wordsPerStrand; ++w) {
        const std::uint64_t word1 = strand1[w];
        const std::uint64_t word2 = strand2[w];
        for (std::uint64_t bits = word1 | word2; bits != 0; bits &= bits - 1) {
            const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
            const std::size_t p = w * 64 + bit;
            const auto position = static_cast<std::int32_t>(p);
            if (!open) {
                cluster.start(position);
                open = true;
            } else if (position - cluster.last > minClusterSeparationBp) {
                visit(cluster, cluster.classify());
                cluster.start(position);
            }
            if ((word1 >> bit) & 1U) {
                cluster.addLesion(position, 1, segment.codes[p]);
            }
            if ((word2 >> bit) & 1U) {
                cluster.addLesion(position, 2, segment.codes[strand2Base + p]);
            }
        }
    }
    if (!open) {
        stopForMissingDamage();
    }
    visit(cluster, cluster.classify());
}

}  // namespace kesp
