#pragma once
/// \file
/// The scan's table: a tidy CSV with one row per configuration, in scan
/// order. Numbers are written with the shortest text that reads back to the
/// same double; a field is empty where a quantity does not exist (the
/// particle columns of a mixed field's Z and A, its damage model) or where no
/// simulated cell produced a cluster of a category (the report prints
/// -1.00000E+00 there). The SEM fields are empty for a run of fewer than 2
/// cells, which has no standard error (the report prints 0 there).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kesp/engine/runResults.h"
#include "kesp/input/runSettings.h"
#include "kesp/report/scanConfiguration.h"
#include "kesp/report/scanDefinition.h"
#include "kesp/report/scanSurvival.h"

namespace kesp {

/// Whether a scan simulates cells or only works out the physics.
enum class ScanMode {
    simulation,   ///< every column
    physicsOnly,  ///< the physics and damage-model columns only (--physics-only)
};

/// The header: the varied items, `switches`, the particle, physics and
/// damage-model columns, then (when simulating) TABLE 2's "Total" row, the
/// yields per Gy and Gbp, TABLE 1, `cells`, `seed` and, with a reference,
/// `rbe_dsb` and `rbe_dsb_sem`, when the oxygen level varies `oer_dsb`
/// and `oer_dsb_sem`, and with a survival block its columns
/// (survivalColumns).
std::vector<std::string> tableColumns(const ScanDefinition& scan, ScanMode mode);

/// A row without the fields formed from other runs (RBE, OER, survival),
/// and the DSB yield and sources those are formed from.
struct RowValues {
    std::vector<std::string> fields;  ///< the row's own fields, one per column up to the paired ones
    std::optional<double> dsb;        ///< DSB per cell per Gy; none without a simulation, or where no cell had a DSB
    std::optional<double> dsbSem;     ///< its SEM; none for a run of fewer than 2 cells
    RowSources dsbSources;            ///< kept with a survival block only
};

/// The row of a configuration: what it sets, the settings it ran with and
/// what the run gave (with ScanMode::physicsOnly only the physics and the
/// damage model of `results` are read).
RowValues rowValues(const ScanDefinition& scan, const Configuration& configuration, const RunSettings& settings,
                    const RunResults& results, ScanMode mode);

/// A finished row waiting for its place in the table: its fields as CSV
/// text (without the fields formed from other runs and the line end) and its
/// DSB yield and sources.
struct PendingRow {
    std::string text;              ///< the row's own fields as CSV text, without a line end
    std::optional<double> dsb;     ///< DSB per cell per Gy; none without a simulation, or where no cell had a DSB
    std::optional<double> dsbSem;  ///< its SEM; none for a run of fewer than 2 cells
    RowSources dsbSources;         ///< kept with a survival block only
};

/// The row's values as a row waiting for its place: its fields joined into
/// CSV text.
PendingRow pendingRowOf(const RowValues& row);

/// The row's line in the table: its own fields, then `pairedFields` (the
/// fields formed from other runs, see scanPairing.h), then the line end.
std::string tableLine(const PendingRow& row, const std::vector<std::string>& pairedFields);

/// The number of fields at the end of a row that are formed from other runs
/// (rbe_dsb, rbe_dsb_sem, oer_dsb, oer_dsb_sem and the survival columns):
/// those a row lacks while it waits for those runs.
std::size_t pairedFieldCount(const ScanDefinition& scan, ScanMode mode);

/// The fields as one CSV line (RFC 4180 quoting), with its line end.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace kesp
