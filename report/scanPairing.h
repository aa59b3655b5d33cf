#pragma once
/// \file
/// Which other runs the last fields of a row are formed from: the reference
/// run of its RBE, for a scan that varies the oxygen level the row its OER
/// pairs it with, the one that differs from it only in that level, and with
/// a survival block the reference run the cell's parameters come from.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "kesp/report/scanDefinition.h"
#include "kesp/report/scanPlan.h"
#include "kesp/report/scanRatios.h"
#include "kesp/report/scanTable.h"

namespace kesp {

/// The oxygen levels an OER pairs: the positions, among the values of the
/// scan's oxygen axis (PO2 or MMHG), of its lowest and its highest level
/// (the first of each where a level is given twice).
struct OxygenAxis {
    std::size_t axis = 0;     ///< the oxygen axis's position in ScanDefinition::vary
    std::size_t lowest = 0;   ///< the lowest level's position among the axis's values
    std::size_t highest = 0;  ///< the highest level's position among the axis's values
    bool paired = false;      ///< the levels differ: there are pairs to form
};

/// The scan's oxygen axis; nothing when the oxygen level does not vary.
std::optional<OxygenAxis> oxygenAxisOf(const ScanDefinition& scan);

/// What a configuration's row forms its last fields from.
struct RowPairing {
    bool rbeColumns = false;                  ///< the table has rbe_dsb and rbe_dsb_sem
    std::size_t reference = 0;                ///< the row's reference run, into ScanPlan::references, with rbeColumns
    bool oerColumns = false;                  ///< the table has oer_dsb and oer_dsb_sem
    std::optional<std::size_t> oxygenPartner; ///< the configuration its OER pairs it with
    bool highOxygen = false;                  ///< the row is at the highest level: its yield is the numerator
    bool survivalColumns = false;             ///< the table has the survival block's columns
    /// With survivalColumns, into ScanPlan::references: the reference run
    /// under the measurement's conditions, which gives the cell's
    /// parameters: the row's own settings at the scan's highest oxygen level.
    std::size_t cellReference = 0;
};

/// The pairing of configuration `configuration` of the plan. A row at the
/// highest or the lowest oxygen level pairs with the row that differs from
/// it only in being at the other; a row at a level in between has none.
RowPairing rowPairing(const ScanPlan& plan, std::size_t configuration, ScanMode mode);

/// The runs a row's last fields are formed from, each null where not known
/// (or, for the partner, none).
struct PairedRuns {
    const PendingRow* reference = nullptr;      ///< the row's reference run (RowPairing::reference)
    const PendingRow* oxygenPartner = nullptr;  ///< the row its OER pairs it with
    const PendingRow* cellReference = nullptr;  ///< RowPairing::cellReference's run
};

/// The row's last fields: rbe_dsb, rbe_dsb_sem (with rbeColumns),
/// oer_dsb, oer_dsb_sem (with oerColumns) and the survival fields of the
/// scan's survival block (with survivalColumns, see survivalFields), from
/// the row and the runs it pairs with.
std::vector<std::string> pairedFields(const ScanDefinition& scan, const RowPairing& pairing, const PendingRow& row,
                                      const PairedRuns& runs);

/// The OER of a pair: the DSB yield at the highest level over that at the
/// lowest; nothing where either is missing or the lower is 0.
std::optional<YieldRatio> oerOf(const PendingRow& highest, const PendingRow& lowest);

}  // namespace kesp
