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
    if (!oxygen) {
        return pairing;
    }
    pairing.oerColumns = true;
    if (!oxygen->paired) {
        return pairing;
    }
    // The axis's stride: the configurations of the axes after it, which vary faster.
    std::size_t stride = 1;
    for (std::size_t k = oxygen->axis + 1; k < scan.vary.size(); ++k) {
        stride *= scan.vary[k].values.size();
    }
    const std::vector<ScanValue>& values = scan.vary[oxygen->axis].values;
    const std::size_t own = (configuration / stride) % values.size();
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
    pairing.oxygenPartner = configuration - own * stride + other * stride;
    return pairing;
}

std::optional<YieldRatio> oerOf(const PendingRow& highest, const PendingRow& lowest)
{
    return yieldRatio(dsbOf(&highest), dsbOf(&lowest));
}

std::vector<std::string> pairedFields(const RowPairing& pairing, const PendingRow& row, const PendingRow* reference,
                                      const PendingRow* oxygenPartner)
{
    std::vector<std::string> fields;
    if (pairing.rbeColumns) {
        const std::vector<std::string> rbe =
            ratioFields(reference != nullptr ? yieldRatio(dsbOf(&row), dsbOf(reference)) : std::nullopt);
        fields.insert(fields.end(), rbe.begin(), rbe.end());
    }
    if (pairing.oerColumns) {
        std::optional<YieldRatio> oer;
        if (pairing.oxygenPartner && oxygenPartner != nullptr) {
            oer = pairing.highOxygen ? oerOf(row, *oxygenPartner) : oerOf(*oxygenPartner, row);
        }
        const std::vector<std::string> fieldsOfOer = ratioFields(oer);
        fields.insert(fields.end(), fieldsOfOer.begin(), fieldsOfOer.end());
    }
    return fields;
}

}  // namespace kesp
