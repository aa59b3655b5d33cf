#pragma once
/// \file
/// The configurations of a scan and their equivalent input files.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "kesp/report/scanDefinition.h"

namespace kesp {

/// One configuration of a scan: one combination of the varied items' values
/// with the fixed items, a row of the scan table.
struct Configuration {
    std::size_t index = 0;              ///< its position in scan order, from 0
    std::vector<ScanSetting> settings;  ///< every item set, in the order of scanItems()
    std::vector<std::string> varied;    ///< the value of each item of `vary`, in its order
};

/// Configuration `index` of the scan: the values of `vary` that combination
/// picks (the last item varying fastest) and the items of `fixed`.
Configuration configurationAt(const ScanDefinition& scan, std::size_t index);

/// Every configuration, in scan order.
std::vector<Configuration> allConfigurations(const ScanDefinition& scan);

/// The configuration's settings with its radiation (PAR, KE, MEV/A, FN)
/// replaced by the reference radiation of the scan.
Configuration referenceFor(const ScanDefinition& scan, const Configuration& configuration);

/// "PAR=p MEV/A=10 PO2=21": the configuration's varied items (all its items
/// when nothing varies), to name it in messages.
std::string describeConfiguration(const ScanDefinition& scan, const Configuration& configuration);

/// The text of the configuration's input file: a first line of free text
/// (`heading`, which must hold no block key), then one line per block that
/// has items, in the order of scanItems(). A field file is written as
/// `fieldFileText` names it.
std::string inputText(const Configuration& configuration, const std::string& heading,
                      const std::function<std::string(const ScanValue&)>& fieldFileText);

/// The switches as one text ("/nq /no2"); empty without switches.
std::string switchText(const ScanDefinition& scan);

}  // namespace kesp
