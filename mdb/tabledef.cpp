#include "mdb/tabledef.h"

#include "mdb/bytes.h"

#include <algorithm>

namespace mdb {

using namespace jet4;

uint16_t TableDef::varColumnCount() const
{
    return static_cast<uint16_t>(std::count_if(columns.begin(),
                                               columns.end(),
                                               [](const ColumnDef& c) { return !c.isFixed(); }));
}

namespace {

char16_t foldCase(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
}

bool sameName(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return foldCase(x) == foldCase(y);
           });
}

void appendName(std::vector<uint8_t>& out, const std::u16string& name)
{
    auto len = static_cast<uint16_t>(name.size() * 2);
    out.push_back(static_cast<uint8_t>(len));
    out.push_back(static_cast<uint8_t>(len >> 8));
    for (char16_t c : name) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

std::u16string readName(std::span<const uint8_t> page, std::size_t& pos)
{
    uint16_t len = get16(page, pos);
    pos += 2;
    if (len % 2 != 0)
        throw FormatError("odd name length in a table definition");
    requireRange(page, pos, len);
    std::u16string name;
    for (std::size_t i = 0; i < len; i += 2)
        name.push_back(static_cast<char16_t>(get16(page, pos + i)));
    pos += len;
    return name;
}

} // namespace

int TableDef::find(std::u16string_view name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (sameName(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::vector<uint8_t> encodeTableDef(const TableDef& def)
{
    std::vector<uint8_t> out(kTdefRealIndexInfo + kRealIndexInfoSize * def.realIndexes.size());
    std::span<uint8_t> head(out);
    put8(head, 0, kPageTdef);
    put8(head, 1, 0x01);
    put32(head, kTdefMagic, kTdefMagicValue);
    put32(head, kTdefRowCount, def.rowCount);
    put32(head, kTdefAutoNumber, def.autoNumber);
    put8(head, kTdefFlag, def.flag24);
    put8(head, kTdefTableType, def.tableType);
    put16(head, kTdefMaxCols, def.maxCols);
    put16(head, kTdefNumVarCols, def.varColumnCount());
    put16(head, kTdefNumCols, static_cast<uint16_t>(def.columns.size()));
    put32(head, kTdefNumLogicalIndexes, static_cast<uint32_t>(def.logicalIndexes.size()));
    put32(head, kTdefNumRealIndexes, static_cast<uint32_t>(def.realIndexes.size()));
    put32(head, kTdefOwnedMap, def.ownedMap);
    put32(head, kTdefFreeMap, def.freeMap);
    for (std::size_t i = 0; i < def.realIndexes.size(); ++i) {
        std::size_t at = kTdefRealIndexInfo + i * kRealIndexInfoSize;
        put32(head, at, def.realIndexes[i].rowCountInfo);
        put32(head, at + 4, def.realIndexes[i].uniqueEntries);
        put32(head, at + 8, def.realIndexes[i].reservedInfo);
    }

    auto block = [&out](std::size_t size) {
        std::size_t at = out.size();
        out.resize(at + size);
        return std::span<uint8_t>(out).subspan(at, size);
    };
    for (const ColumnDef& c : def.columns) {
        auto b = block(kColumnBlockSize);
        put8(b, 0, c.type);
        put32(b, 1, kTdefMagicValue);
        put16(b, 5, c.number);
        put16(b, 7, c.varIndex);
        put16(b, 9, c.number2);
        put32(b, 11, c.sortOrder);
        put8(b, 15, c.flags);
        put8(b, 16, c.extFlags);
        put32(b, 17, c.reserved);
        put16(b, 21, c.fixedOffset);
        put16(b, 23, c.length);
    }
    for (const ColumnDef& c : def.columns)
        appendName(out, c.name);
    for (const RealIndex& r : def.realIndexes) {
        auto b = block(kRealIndexBlockSize);
        put32(b, 0, kRealIndexMagic);
        for (std::size_t i = 0; i < kIndexColumnSlots; ++i) {
            put16(b, 4 + i * 3, r.columns[i].column);
            put8(b, 6 + i * 3, r.columns[i].order);
        }
        put32(b, 34, r.usageMap);
        put32(b, 38, r.rootPage);
        put32(b, 42, r.reserved);
        put8(b, 46, r.flags);
    }
    for (const LogicalIndex& l : def.logicalIndexes) {
        auto b = block(kLogicalIndexBlockSize);
        put32(b, 0, kTdefMagicValue);
        put32(b, 4, l.number);
        put32(b, 8, l.realIndex);
        put8(b, 12, l.relatedTableType);
        put32(b, 13, static_cast<uint32_t>(l.relatedIndex));
        put32(b, 17, l.relatedTablePage);
        put8(b, 21, l.cascadeUpdates);
        put8(b, 22, l.cascadeDeletes);
        put8(b, 23, l.indexType);
        put32(b, 24, l.reserved);
    }
    for (const LogicalIndex& l : def.logicalIndexes)
        appendName(out, l.name);
    for (const LongValueMaps& m : def.longValueMaps) {
        auto b = block(10);
        put16(b, 0, m.column);
        put32(b, 2, m.ownedMap);
        put32(b, 6, m.freeMap);
    }
    out.push_back(0xFF);
    out.push_back(0xFF);

    if (out.size() + 8 > kPageSize)
        throw FormatError("table definition does not fit on one page");
    std::size_t length = out.size();
    put32(out, kTdefLength, static_cast<uint32_t>(length));
    put16(out, kTdefFreeSpace, static_cast<uint16_t>(kPageSize - length - 8));
    out.resize(kPageSize, 0);
    return out;
}

TableDef decodeTableDef(std::span<const uint8_t> page)
{
    if (get8(page, 0) != kPageTdef || get32(page, kTdefMagic) != kTdefMagicValue)
        throw FormatError("not a table definition page");
    if (get32(page, kTdefNextPage) != 0)
        throw FormatError("table definitions over several pages are not supported");
    uint32_t length = get32(page, kTdefLength);
    if (length > page.size())
        throw FormatError("table definition longer than its page");
    page = page.first(length);

    TableDef def;
    def.rowCount = get32(page, kTdefRowCount);
    def.autoNumber = get32(page, kTdefAutoNumber);
    def.flag24 = get8(page, kTdefFlag);
    def.tableType = get8(page, kTdefTableType);
    def.maxCols = get16(page, kTdefMaxCols);
    uint16_t numCols = get16(page, kTdefNumCols);
    uint32_t numLogical = get32(page, kTdefNumLogicalIndexes);
    uint32_t numReal = get32(page, kTdefNumRealIndexes);
    def.ownedMap = get32(page, kTdefOwnedMap);
    def.freeMap = get32(page, kTdefFreeMap);
    // Every count is bounded by what the page can hold, so a damaged count
    // fails the range checks below instead of allocating without bound.
    if (numReal > kPageSize / kRealIndexBlockSize ||
        numLogical > kPageSize / kLogicalIndexBlockSize || numCols > kPageSize / kColumnBlockSize)
        throw FormatError("impossible counts in a table definition");

    std::size_t pos = kTdefRealIndexInfo;
    def.realIndexes.resize(numReal);
    for (RealIndex& r : def.realIndexes) {
        r.rowCountInfo = get32(page, pos);
        r.uniqueEntries = get32(page, pos + 4);
        r.reservedInfo = get32(page, pos + 8);
        pos += kRealIndexInfoSize;
    }
    def.columns.resize(numCols);
    for (ColumnDef& c : def.columns) {
        requireRange(page, pos, kColumnBlockSize);
        c.type = get8(page, pos);
        c.number = get16(page, pos + 5);
        c.varIndex = get16(page, pos + 7);
        c.number2 = get16(page, pos + 9);
        c.sortOrder = get32(page, pos + 11);
        c.flags = get8(page, pos + 15);
        c.extFlags = get8(page, pos + 16);
        c.reserved = get32(page, pos + 17);
        c.fixedOffset = get16(page, pos + 21);
        c.length = get16(page, pos + 23);
        pos += kColumnBlockSize;
    }
    for (ColumnDef& c : def.columns)
        c.name = readName(page, pos);
    for (RealIndex& r : def.realIndexes) {
        requireRange(page, pos, kRealIndexBlockSize);
        for (std::size_t i = 0; i < kIndexColumnSlots; ++i) {
            r.columns[i].column = get16(page, pos + 4 + i * 3);
            r.columns[i].order = get8(page, pos + 6 + i * 3);
        }
        r.usageMap = get32(page, pos + 34);
        r.rootPage = get32(page, pos + 38);
        r.reserved = get32(page, pos + 42);
        r.flags = get8(page, pos + 46);
        pos += kRealIndexBlockSize;
    }
    def.logicalIndexes.resize(numLogical);
    for (LogicalIndex& l : def.logicalIndexes) {
        requireRange(page, pos, kLogicalIndexBlockSize);
        l.number = get32(page, pos + 4);
        l.realIndex = get32(page, pos + 8);
        l.relatedTableType = get8(page, pos + 12);
        l.relatedIndex = static_cast<int32_t>(get32(page, pos + 13));
        l.relatedTablePage = get32(page, pos + 17);
        l.cascadeUpdates = get8(page, pos + 21);
        l.cascadeDeletes = get8(page, pos + 22);
        l.indexType = get8(page, pos + 23);
        l.reserved = get32(page, pos + 24);
        pos += kLogicalIndexBlockSize;
    }
    for (LogicalIndex& l : def.logicalIndexes)
        l.name = readName(page, pos);
    std::size_t lvCount = static_cast<std::size_t>(
        std::count_if(def.columns.begin(), def.columns.end(), [](const ColumnDef& c) {
            return c.type == kTypeMemo || c.type == kTypeOle;
        }));
    def.longValueMaps.resize(lvCount);
    for (LongValueMaps& m : def.longValueMaps) {
        m.column = get16(page, pos);
        m.ownedMap = get32(page, pos + 2);
        m.freeMap = get32(page, pos + 6);
        pos += 10;
    }
    if (get16(page, pos) != 0xFFFF)
        throw FormatError("table definition trailer missing");
    for (const ColumnDef& c : def.columns)
        if (c.number >= def.maxCols)
            throw FormatError("column number beyond the table's column count");
    return def;
}

} // namespace mdb
