#pragma once
// Cutting a cell's lesions into clusters and classifying each cluster, in one
// forward pass over the lesions.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "kesp/damage/damageYields.h"
#include "kesp/damage/dnaSegment.h"

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

namespace detail {

// Class code by [DSB found][Sb count, 4 for 4 or more][any Bd][all Sb on one
// strand]: the classification as a table, so that it costs no branches.
using ClassTable = std::array<std::array<std::array<std::array<std::int8_t, 2>, 2>, 5>, 2>;

constexpr ClassTable makeClassTable()
{
    ClassTable table{};
    for (std::size_t s = 0; s <= 4; ++s) {
        for (std::size_t b = 0; b <= 1; ++b) {
            for (std::size_t oneStrand = 0; oneStrand <= 1; ++oneStrand) {
                int plain = classBaseDamageOnly;
                if (s == 1) {
                    plain = b == 0 ? classSsb : classSsbWithBd;
                } else if (s >= 2) {
                    plain = oneStrand == 1 ? classSsbPlus : classTwoSsb;
                }
                int withDsb = classDsbPlusPlus;
                if (s == 2) {
                    withDsb = b == 0 ? classDsb : classDsbWithBd;
                } else if (s == 3) {
                    withDsb = classDsbPlus;
                }
                table[0][s][b][oneStrand] = static_cast<std::int8_t>(plain);
                table[1][s][b][oneStrand] = static_cast<std::int8_t>(withDsb);
            }
        }
    }
    return table;
}

inline constexpr ClassTable classTable = makeClassTable();

// `a` where `condition` holds, else `b`, by arithmetic: the compiler turns
// a plain choice in the scan into a branch, which mispredicts where the
// condition depends on where lesions fell.
inline std::int32_t choose(bool condition, std::int32_t a, std::int32_t b)
{
    const std::int32_t all = -static_cast<std::int32_t>(condition);
    return b ^ ((a ^ b) & all);
}

}  // namespace detail

// A cluster as the scan collects it, position by position.
struct ClusterBuilder {
    static constexpr std::int32_t noStrandBreak = -1000;

    std::int32_t first = 0;
    std::int32_t last = 0;
    std::int32_t strandBreaks1 = 0;
    std::int32_t strandBreaks2 = 0;
    std::int32_t baseDamages = 0;
    std::int32_t lastStrandBreak1 = noStrandBreak;
    std::int32_t lastStrandBreak2 = noStrandBreak;
    bool dsb = false;

    void start(std::int32_t position) { *this = ClusterBuilder{position, position}; }

    // The lesion codes of both strands at a position (noLesion where a
    // strand has none), strand 1 first. Two Sb on opposite strands at most 9
    // positions apart form a DSB.
    void addPosition(std::int32_t position, std::int32_t code1, std::int32_t code2)
    {
        const std::int32_t windowStart = position - (maxDsbSeparationBp - 1);
        const bool sb1 = code1 == strandBreak;
        const bool sb2 = code2 == strandBreak;
        last = position;
        baseDamages += static_cast<std::int32_t>(code1 > strandBreak) + static_cast<std::int32_t>(code2 > strandBreak);
        dsb = dsb | (sb1 & (lastStrandBreak2 >= windowStart));
        lastStrandBreak1 = detail::choose(sb1, position, lastStrandBreak1);
        dsb = dsb | (sb2 & (lastStrandBreak1 >= windowStart));
        lastStrandBreak2 = detail::choose(sb2, position, lastStrandBreak2);
        strandBreaks1 += static_cast<std::int32_t>(sb1);
        strandBreaks2 += static_cast<std::int32_t>(sb2);
    }

    ClusterClass classify() const
    {
        const std::int32_t s = strandBreaks1 + strandBreaks2;
        const auto row = static_cast<std::size_t>(s < 4 ? s : 4);
        const auto oneStrand = static_cast<std::size_t>((strandBreaks1 == 0) | (strandBreaks2 == 0));
        const int code = detail::classTable[static_cast<std::size_t>(dsb)][row]
                                           [static_cast<std::size_t>(baseDamages > 0)][oneStrand];
        return ClusterClass{code, s + baseDamages, s};
    }
};

[[noreturn]] void stopForMissingDamage();

namespace detail {

// The lesion codes of both strands at a position, strand 1 first; noLesion
// where a strand has none.
struct PositionCodes {
    std::int32_t strand1;
    std::int32_t strand2;
};

// The scan itself, over the occupancy words of both strands; codesAt(w,
// bit, set1, set2) gives the codes at bit `bit` of word `w`, where set1 and
// set2 (0 or 1) tell whether each strand holds a lesion there.
template <typename CodesAt, typename Visit>
void scanOccupancy(const std::uint64_t* strand1, const std::uint64_t* strand2, std::size_t words,
                   CodesAt&& codesAt, Visit&& visit)
{
    ClusterBuilder cluster;
    bool open = false;
    for (std::size_t w = 0; w < words; ++w) {
        const std::uint64_t word1 = strand1[w];
        const std::uint64_t word2 = strand2[w];
        for (std::uint64_t bits = word1 | word2; bits != 0; bits &= bits - 1) {
            const auto bit = static_cast<std::size_t>(std::countr_zero(bits));
            const auto position = static_cast<std::int32_t>(w * 64 + bit);
            if (!open) {
                cluster.start(position);
                open = true;
            } else if (position - cluster.last > minClusterSeparationBp) {
                visit(cluster, cluster.classify());
                cluster.start(position);
            }
            const PositionCodes codes = codesAt(w, bit, (word1 >> bit) & 1U, (word2 >> bit) & 1U);
            cluster.addPosition(position, codes.strand1, codes.strand2);
        }
    }
    if (!open) {
        stopForMissingDamage();
    }
    visit(cluster, cluster.classify());
}

}  // namespace detail

// Hands every cluster of the segment, classified, to visit(builder, class) in
// position order. A cluster is a maximal run of lesion positions in which no
// 9 or more lesion-free positions follow each other. Stops the run when the
// segment holds no lesion.
template <typename Visit>
void scanClusters(const DnaSegment& segment, Visit&& visit)
{
    const std::uint8_t* codes1 = segment.codes.get();
    const std::uint8_t* codes2 = codes1 + siteIndex(segment, 2, 0);
    // Codes are meaningful only where the bit is set; both are read and
    // masked, since which strand holds a lesion is as random as a coin and a
    // branch on it would mispredict half the time.
    const auto codesAt = [codes1, codes2](std::size_t w, std::size_t bit, std::uint64_t set1,
                                          std::uint64_t set2) {
        const std::size_t p = w * 64 + bit;
        return detail::PositionCodes{codes1[p] & -static_cast<std::int32_t>(set1),
                                     codes2[p] & -static_cast<std::int32_t>(set2)};
    };
    detail::scanOccupancy(strandWords(segment, 1), strandWords(segment, 2), segment.wordsPerStrand, codesAt,
                          visit);
}

// The same for a cell's lesion maps: a lesion is a strand break where the
// strand-break map has it, else a base damage.
template <typename Visit>
void scanClusters(const LesionMaps& maps, Visit&& visit)
{
    const std::size_t words = maps.lesions.size() / 2;
    const std::uint64_t* breaks1 = maps.strandBreaks.data();
    const std::uint64_t* breaks2 = breaks1 + words;
    // 1 << 0 is a strand break, 1 << 1 a base damage, 0 << either no lesion.
    const auto codesAt = [breaks1, breaks2](std::size_t w, std::size_t bit, std::uint64_t set1,
                                            std::uint64_t set2) {
        const std::uint64_t notBreak1 = ((breaks1[w] >> bit) & 1U) ^ 1U;
        const std::uint64_t notBreak2 = ((breaks2[w] >> bit) & 1U) ^ 1U;
        return detail::PositionCodes{static_cast<std::int32_t>(set1 << notBreak1),
                                     static_cast<std::int32_t>(set2 << notBreak2)};
    };
    detail::scanOccupancy(maps.lesions.data(), maps.lesions.data() + words, words, codesAt, visit);
}

}  // namespace kesp
