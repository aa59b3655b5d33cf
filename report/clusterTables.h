#pragma once
// The six cluster statistics tables at the end of the report.

#include <ostream>

#include "kesp/damage/clusterStatistics.h"

namespace kesp {

// TABLE 1 to TABLE 6 in this order, for a cell of `dna` Gbp.
void writeClusterTables(std::ostream& out, const ClusterStatistics& statistics, double dna);

// TABLE 1: the percentages of the complexity classes.
void writeComplexityTable(std::ostream& out, const ClusterStatistics& statistics);

// One of TABLES 2 to 6 (other numbers write nothing).
void writeStatisticTable(std::ostream& out, const ClusterStatistics& statistics, int tableNumber,
                         double dna);

}  // namespace kesp
