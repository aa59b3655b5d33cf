#pragma once
// The six cluster statistics tables at the end of the report, and the scaling
// of the tallies to the cell's DNA content that precedes them.

#include <ostream>

namespace kesp {

// Multiplies every mean and SEM of the five statistics by DNA content / 6 Gbp
// and sets the no-data markers back to -1.
void scaleTallies();

// TABLE 1 to TABLE 6 in this order.
void writeClusterTables(std::ostream& out);

// TABLE 1: the percentages of the complexity classes.
void writeComplexityTable(std::ostream& out);

// One of TABLES 2 to 6 (other numbers write nothing).
void writeStatisticTable(std::ostream& out, int tableNumber);

}  // namespace kesp
