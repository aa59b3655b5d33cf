#include "kesp/report/scanItems.h"

#include <array>
#include <cctype>

namespace kesp {

namespace {

constexpr std::array items{
    ScanItem{"NOCS", ItemBlock::simcon, ItemValue::number},
    ScanItem{"SEED", ItemBlock::simcon, ItemValue::number},
    ScanItem{"PO2", ItemBlock::evo2, ItemValue::number},
    ScanItem{"MMHG", ItemBlock::evo2, ItemValue::number},
    ScanItem{"M0", ItemBlock::evo2, ItemValue::number},
    ScanItem{"K", ItemBlock::evo2, ItemValue::number},
    ScanItem{"Q", ItemBlock::evo2, ItemValue::number},
    ScanItem{"R", ItemBlock::evo2, ItemValue::number},
    ScanItem{"CONC", ItemBlock::dmso, ItemValue::number},
    ScanItem{"FNSD", ItemBlock::dmso, ItemValue::number},
    ScanItem{"CHMX", ItemBlock::dmso, ItemValue::number},
    ScanItem{"DNA", ItemBlock::cell, ItemValue::number},
    ScanItem{"NDIA", ItemBlock::cell, ItemValue::number},
    ScanItem{"FBL", ItemBlock::kesp, ItemValue::number},
    ScanItem{"PAR", ItemBlock::radx, ItemValue::particle},
    ScanItem{"KE", ItemBlock::radx, ItemValue::number},
    ScanItem{"MEV/A", ItemBlock::radx, ItemValue::number},
    ScanItem{"FN", ItemBlock::radx, ItemValue::fieldFile},
};

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool isOneOf(const ScanItem& item, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names) {
        if (item.name == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::span<const ScanItem> scanItems()
{
    return items;
}

const ScanItem* findScanItem(std::string_view name)
{
    for (const ScanItem& item : items) {
        if (sameNameIgnoringCase(item.name, name)) {
            return &item;
        }
    }
    return nullptr;
}

std::string_view blockKey(ItemBlock block)
{
    switch (block) {
        case ItemBlock::simcon:
            return "SIMCON:";
        case ItemBlock::evo2:
            return "EVO2:";
        case ItemBlock::dmso:
            return "DMSO:";
        case ItemBlock::cell:
            return "CELL:";
        case ItemBlock::kesp:
            return "KESP:";
        case ItemBlock::radx:
            return "RADX:";
    }
    return "";
}

bool itemsConflict(const ScanItem& a, const ScanItem& b)
{
    const auto pair = [&](std::initializer_list<std::string_view> first, std::initializer_list<std::string_view> second) {
        return (isOneOf(a, first) && isOneOf(b, second)) || (isOneOf(b, first) && isOneOf(a, second));
    };
    return pair({"PO2"}, {"MMHG"}) || pair({"KE"}, {"MEV/A"}) || pair({"FN"}, {"PAR", "KE", "MEV/A"});
}

}  // namespace kesp
