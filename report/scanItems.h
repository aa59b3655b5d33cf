#pragma once
/// \file
/// The items a scan may set: every item of the input file's six blocks, named
/// as the input file names them.

#include <span>
#include <string_view>

namespace kesp {

/// The block of the input file an item belongs to.
enum class ItemBlock {
    simcon,  ///< SIMCON: the simulation's control (NOCS, SEED)
    evo2,    ///< EVO2: the oxygen level and model (PO2, MMHG, M0, K, Q, R)
    dmso,    ///< DMSO: scavenging by DMSO (CONC, FNSD, CHMX)
    cell,    ///< CELL: the cell (DNA, NDIA)
    kesp,    ///< KESP: the damage model's own items (FBL)
    radx     ///< RADX: the radiation (PAR, KE, MEV/A, FN)
};

/// What kind of value an item takes.
enum class ItemValue {
    number,     ///< a number as the input file writes it
    particle,   ///< a particle name (PAR)
    fieldFile,  ///< a field file (FN), named relative to the scan file
};

/// An item a scan may set, as the input file knows it.
struct ScanItem {
    std::string_view name;  ///< as in the input file, without "="
    ItemBlock block;        ///< the block of the input file it is written in
    ItemValue value;        ///< the kind of value it takes
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
