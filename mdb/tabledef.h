// Table definitions (TDEF pages): columns, indexes and the pointers to the
// table's usage maps, decoded into plain values and encoded back.
#pragma once

#include "mdb/format.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mdb {

struct ColumnDef {
    uint8_t type = 0;
    uint16_t number = 0;
    uint16_t varIndex = 0;
    uint16_t number2 = 0;   // Access repeats the number here; Jet's own tables have 0
    uint32_t sortOrder = 0; // text: code page sort 0x0409; numeric: precision, scale
    uint8_t flags = 0;
    uint8_t extFlags = 0;
    uint32_t reserved = 0;
    uint16_t fixedOffset = 0;
    uint16_t length = 0;
    std::u16string name;

    bool isFixed() const { return (flags & jet4::kColumnFixed) != 0; }
    bool operator==(const ColumnDef&) const = default;
};

struct IndexColumn {
    uint16_t column = 0xFFFF; // 0xFFFF: slot unused
    uint8_t order = 0;        // 1 ascending
    bool operator==(const IndexColumn&) const = default;
};

struct RealIndex {
    std::array<IndexColumn, jet4::kIndexColumnSlots> columns{};
    uint32_t usageMap = 0; // page:row of an inline map holding the root page
    uint32_t rootPage = 0;
    uint32_t reserved = 0;
    uint8_t flags = 0;
    uint32_t rowCountInfo = 0; // the three values of the per-index block after the header
    uint32_t uniqueEntries = 0;
    uint32_t reservedInfo = 0;
    bool operator==(const RealIndex&) const = default;
};

struct LogicalIndex {
    uint32_t number = 0;
    uint32_t realIndex = 0;
    uint8_t relatedTableType = 0;
    int32_t relatedIndex = -1;
    uint32_t relatedTablePage = 0;
    uint8_t cascadeUpdates = 0;
    uint8_t cascadeDeletes = 0;
    uint8_t indexType = 0; // 1 primary key
    uint32_t reserved = 0;
    std::u16string name;
    bool operator==(const LogicalIndex&) const = default;
};

struct LongValueMaps {
    uint16_t column = 0;
    uint32_t ownedMap = 0;
    uint32_t freeMap = 0;
    bool operator==(const LongValueMaps&) const = default;
};

struct TableDef {
    uint32_t rowCount = 0;
    uint32_t autoNumber = 0;
    uint8_t flag24 = 1;
    uint8_t tableType = jet4::kTableTypeUser;
    uint16_t maxCols = 0;
    uint32_t ownedMap = 0;          // page:row
    uint32_t freeMap = 0;           // page:row
    std::vector<ColumnDef> columns; // in stored order
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> logicalIndexes;
    std::vector<LongValueMaps> longValueMaps;

    uint16_t varColumnCount() const;
    // Index into `columns` of the column with this name (sameName), or -1.
    int find(std::u16string_view name) const;
    bool operator==(const TableDef&) const = default;
};

// Jet compares the names of tables, columns and indexes with the ASCII
// letters folded to upper case; no other character folds.
constexpr char16_t foldNameCase(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}
bool sameName(std::u16string_view a, std::u16string_view b);

// A page:row pointer as stored in TDEFs and usage-map references.
inline uint32_t rowPointer(uint32_t page, uint8_t row)
{
    return (page << 8) | row;
}
inline uint32_t pointerPage(uint32_t ptr)
{
    return ptr >> 8;
}
inline uint8_t pointerRow(uint32_t ptr)
{
    return static_cast<uint8_t>(ptr & 0xFF);
}

// One TDEF page (tables spread over several pages are refused).
std::vector<uint8_t> encodeTableDef(const TableDef& def);
TableDef decodeTableDef(std::span<const uint8_t> page);

} // namespace mdb
