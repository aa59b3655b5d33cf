#include "kesp/report/scanPairing.h"

#include "kesp/support/numberReader.h"

namespace kesp {

namespace {

bool isOxygenItem(const ScanItem& item)
{
    return item.name == "PO2" || item.name == "MMHG";
}

// The level as a number; the values of an axis are numbers in their shortest
// form, but a text that is none sorts as not a level at all.
std::optional<double> levelOf(const ScanValue& value)
{
    double level = 0.0;
    return readReal(value.text, level) == 0 ? std::optional<double>(level) : std::nullopt;
}

std::optional<YieldEstimate> dsbOf(const PendingRow* row)
{
    if (row == nullptr || !row->dsb) {
        return std::nullopt;
    }
    return YieldEstimate{*row->dsb, row->dsbSem};
}

// The stride of the oxygen axis: the configurations of the axes after it,
// which vary faster.
std::size_t strideOf(const ScanDefinition& scan, const OxygenAxis& oxygen)
{
    std::size_t stride = 1;
    for (std::size_t k = oxygen.axis + 1; k < scan.vary.size(); ++k) {
        stride *= scan.vary[k].values.size();
    }
    return stride;
}

// The position of the configuration's level among the axis's values.
std::size_t levelIndexOf(const ScanDefinition& scan, const OxygenAxis& oxygen, std::size_t configuration)
{
    return (configuration / strideOf(scan, oxygen)) % scan.vary[oxygen.axis].values.size();
}

// The configuration that differs from this one only in being at the level
// of that position.
std::size_t withOxygenLevel(const ScanDefinition& scan, const OxygenAxis& oxygen, std::size_t configuration,
                            std::size_t level)
{
    const std::size_t stride = strideOf(scan, oxygen);
    return configuration - levelIndexOf(scan, oxygen, configuration) * stride + level * stride;
}

}  // namespace

std::optional<OxygenAxis> oxygenAxisOf(const ScanDefinition& scan)
{
    for (std::size_t k = 0; k < scan.vary.size(); ++k) {
        if (!isOxygenItem(*scan.vary[k].item)) {
            continue;
        }
        OxygenAxis axis{k, 0, 0, false};
        std::optional<double> low;
        std::optional<double> high;
        const std::vector<ScanValue>& values = scan.vary[k].values;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::optional<double> level = levelOf(values[i]);
            if (!level) {
                continue;
            }
            if (!low || *level < *low) {
                low = level;
                axis.lowest = i;
            }
            if (!high || *level > *high) {
                high = level;
                axis.highest = i;
            }
        }
        axis.paired = low && high && *high > *low;
        return axis;
    }
    return std::nullopt;
}

RowPairing rowPairing(const ScanPlan& plan, std::size_t configuration, ScanMode mode)
{
    RowPairing pairing;
    if (mode != ScanMode::simulation) {
        return pairing;
    }
    const ScanDefinition& scan = plan.scan;
    if (scan.hasReference()) {
        pairing.rbeColumns = true;
        pairing.reference = plan.referenceOfRow.at(configuration);
    }
    const std::optional<OxygenAxis> oxygen = oxygenAxisOf(scan);
    if (scan.survival) {
        pairing.survivalColumns = true;
        pairing.cellReference = plan.referenceOfRow.at(
            oxygen ? withOxygenLevel(scan, *oxygen, configuration, oxygen->highest) : configuration);
    }
    if (!oxygen) {
        return pairing;
    }
    pairing.oerColumns = true;
    if (!oxygen->paired) {
        return pairing;
    }
    const std::vector<ScanValue>& values = scan.vary[oxygen->axis].values;
    const std::size_t own = levelIndexOf(scan, *oxygen, configuration);
    const std::optional<double> level = levelOf(values[own]);
    const std::optional<double> lowest = levelOf(values[oxygen->lowest]);
    const std::optional<double> highest = levelOf(values[oxygen->highest]);
    std::size_t other = own;
    if (level && *level == *highest) {
        other = oxygen->lowest;
        pairing.highOxygen = true;
    } else if (level && *level == *lowest) {
        other = oxygen->highest;
    } else {
        return pairing;
    }
    pairing.oxygenPartner = withOxygenLevel(scan, *oxygen, configuration, other);
    return pairing;
}

std::optional<YieldRatio> oerOf(const PendingRow& highest, const PendingRow& lowest)
{
    return yieldRatio(dsbOf(&highest), dsbOf(&lowest));
}

std::vector<std::string> pairedFields(const ScanDefinition& scan, const RowPairing& pairing, const PendingRow& row,
                                      const PairedRuns& runs)
{
    std::vector<std::string> fields;
    const auto add = [&fields](const std::vector<std::string>& more) {
        fields.insert(fields.end(), more.begin(), more.end());
    };
    if (pairing.rbeColumns) {
        add(ratioFields(runs.reference != nullptr ? yieldRatio(dsbOf(&row), dsbOf(runs.reference)) : std::nullopt));
    }
    const PendingRow* partner = pairing.oxygenPartner ? runs.oxygenPartner : nullptr;
    if (pairing.oerColumns) {
        std::optional<YieldRatio> oer;
        if (partner != nullptr) {
            oer = pairing.highOxygen ? oerOf(row, *partner) : oerOf(*partner, row);
        }
        add(ratioFields(oer));
    }
    if (pairing.survivalColumns && scan.survival) {
        const SurvivalRuns survivalRuns{&row.dsbSources,
                                        runs.cellReference != nullptr ? &runs.cellReference->dsbSources : nullptr,
                                        runs.reference != nullptr ? &runs.reference->dsbSources : nullptr,
                                        pairing.reference == pairing.cellReference,
                                        partner != nullptr ? &partner->dsbSources : nullptr,
                                        pairing.highOxygen};
        add(survivalFields(*scan.survival, pairing.oerColumns, survivalRuns));
    }
    return fields;
}

}  // namespace kesp
