// Jet 4 rows: the fixed-length area, the variable-length data with its
// offset table, and the null mask; and the two forms of text.
#pragma once

#include "mdb/tabledef.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace mdb {

// One stored value. Integers of every width travel as int64_t, Single,
// Double and Date/Time as double, Binary/GUID as bytes, Yes/No as bool.
using Cell =
    std::variant<std::monostate, int64_t, double, std::u16string, std::vector<uint8_t>, bool>;

// Values are given in the order of def.columns. Throws FormatError for a
// value the column cannot store or a row longer than Jet allows.
std::vector<uint8_t> encodeRow(const TableDef& def, std::span<const Cell> values);

// Cells in the order of def.columns. Long values (Memo/OLE) are not read
// and come back null.
std::vector<Cell> decodeRow(const TableDef& def, std::span<const uint8_t> row);

// Text as stored: compressed (FF FE, one byte per character) when the column
// allows it and it saves space, otherwise UTF-16LE.
std::vector<uint8_t> encodeText(std::u16string_view text, bool compressible);
std::u16string decodeText(std::span<const uint8_t> bytes);

std::u16string utf8ToUtf16(std::string_view text); // throws FormatError on bad UTF-8
std::string utf16ToUtf8(std::u16string_view text);

} // namespace mdb
