// Converting the values the downloads hand over (text, 16/32-bit integers,
// doubles) to a column's stored type the way Jet does, and back.
#pragma once

#include "mdb/rowcodec.h"
#include "mdb/tabledef.h"
#include "mdb/value.h"

namespace mdb {

// Throws Error 3421 (not a number), 3349 (out of range) or 3163 (text too long).
Cell toCell(const ColumnDef& column, const Value& value);
Value toValue(const ColumnDef& column, const Cell& cell);

// Jet's reading of a text as a number: blanks around it, a sign, digits with
// an optional decimal point and exponent. Nothing else is a number.
bool parseNumber(std::string_view text, double& out);

// Round half to even, as Jet does when a fractional value meets an integer column.
double roundHalfEven(double v);

} // namespace mdb
