#pragma once
// The items a scan may set: every item of the input file's six blocks, named
// as the input file names them.

#include <span>
#include <string_view>

namespace kesp {

enum class ItemBlock { simcon, evo2, dmso, cell, kesp, radx };

enum class ItemValue {
    number,     // a number as the input file writes it
    particle,   // a particle name (PAR)
    fieldFile,  // a field file (FN), named relative to the scan file
};

struct ScanItem {
    std::string_view name;  // as in the input file, without "="
    ItemBlock block;
    ItemValue value;
};

/// All items, block by block in the order the input file's blocks are read.
std::span<const ScanItem> scanItems();

/// The item of that name in any case ("mev/a" is MEV/A); null when none.
const ScanItem* findScanItem(std::string_view name);

/// "SIMCON:", "EVO2:", ...
std::string_view blockKey(ItemBlock block);

/// PAR, KE, MEV/A and FN: the items that describe the radiation.
inline bool describesRadiation(const ScanItem& item)
{
    return item.block == ItemBlock::radx;
}

/// Two items that give the same quantity (PO2 and MMHG, KE and MEV/A) or
/// that exclude each other (FN and the particle items).
bool itemsConflict(const ScanItem& a, const ScanItem& b);

}  // namespace kesp
