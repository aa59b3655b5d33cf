#include "damage/chemicalRepair.h"

#include <cmath>
#include <cstddef>
#include <memory>

#include "support/checkedAllocation.h"
#include "support/randomStream.h"

namespace kesp {

namespace {

struct RepairSite {
    std::int32_t position;
    std::int32_t strand;
};

// Every occupied site: strand 1 by increasing position, then strand 2.
struct RepairList {
    std::unique_ptr<RepairSite[]> sites;
    std::size_t size = 0;
    std::int32_t strandBreaks = 0;   // entries holding code 1
    std::int32_t baseDamages = 0;    // entries holding code 2
};

RepairList buildRepairList(const DnaSegment& segment)
{
    RepairList list;
    for (int strand = 1; strand <= 2; ++strand) {
        for (std::int32_t position = 1; position <= segment.length; ++position) {
            const std::int32_t code = lesionAt(segment, strand, position);
            list.size += code != noLesion ? 1U : 0U;
            list.strandBreaks += code == strandBreak ? 1 : 0;
            list.baseDamages += code == baseDamage ? 1 : 0;
        }
    }
    list.sites = allocateOrStop<RepairSite>(list.size, "the chemical repair list");
    std::size_t next = 0;
    for (int strand = 1; strand <= 2; ++strand) {
        for (std::int32_t position = 1; position <= segment.length; ++position) {
            if (lesionAt(segment, strand, position) != noLesion) {
                list.sites[next++] = RepairSite{position, strand};
            }
        }
    }
    return list;
}

// Draws list entries until `count` sites holding `code` are emptied; entries
// of another code or already emptied are drawn again. Stops early when the
// list holds no site with `code` any more.
void removeLesions(DnaSegment& segment, const RepairList& list, std::int32_t code,
                   std::int32_t count, std::int32_t available)
{
    std::int32_t removed = 0;
    while (removed < count && removed < available) {
        const double u = uniformStream(chemicalRepairStream);
        const auto i = static_cast<std::size_t>(u * static_cast<double>(list.size));
        std::int32_t& site = lesionAt(segment, list.sites[i].strand, list.sites[i].position);
        if (site == code) {
            site = noLesion;
            ++removed;
        }
    }
}

}  // namespace

std::int32_t repairCount(std::int32_t placed, double repairProbability)
{
    const double kept = std::trunc(static_cast<double>(placed) * (1.0 - repairProbability) + 0.5);
    if (kept >= static_cast<double>(placed)) {
        return 0;
    }
    if (kept <= 0.0) {
        return placed;
    }
    return placed - static_cast<std::int32_t>(kept);
}

void applyChemicalRepair(DnaSegment& segment, const DamageYields& yields)
{
    const std::int32_t strandBreaksToRemove =
        repairCount(yields.strandBreaks, yields.repairProbability);
    const std::int32_t baseDamagesToRemove =
        repairCount(yields.baseDamages, yields.repairProbability);
    const RepairList list = buildRepairList(segment);
    removeLesions(segment, list, strandBreak, strandBreaksToRemove, list.strandBreaks);
    removeLesions(segment, list, baseDamage, baseDamagesToRemove, list.baseDamages);
}

}  // namespace kesp
