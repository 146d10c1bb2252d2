// What mdb-export must show for a record or entry the simulated device holds,
// worked out here from the device's words without the export's own code.
#pragma once

#include "downloadrig.h"
#include "simulator.h"

#include <map>
#include <string>

struct Cell {
    std::string text; // exact text, unless numeric
    bool numeric = false;
    double number = 0;
};

using ExpectedRow = std::map<std::string, Cell>;

ExpectedRow expectedDataRow(const sim::DataRecord& w);
ExpectedRow expectedResetRow(const sim::ResetEntry& w);

// Empty when the row matches; else a line per differing column.
std::string rowDifferences(const Row& actual, const ExpectedRow& expected);
