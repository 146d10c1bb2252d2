#include "systemtables.h"

#include "mdb/bytes.h"
#include "mdb/format.h"

#include <algorithm>
#include <stdexcept>

namespace mdbgen {

using namespace mdb;
using namespace mdb::jet4;

namespace {

bool byName(std::u16string_view a, std::u16string_view b)
{
    return std::lexicographical_compare(
        a.begin(),
        a.end(),
        b.begin(),
        b.end(),
        [](char16_t x, char16_t y) { return foldNameCase(x) < foldNameCase(y); });
}

// Plain unsigned byte order, the order of index entries.
bool bytesBefore(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i];
    return a.size() < b.size();
}

RealIndex realIndex(std::initializer_list<uint16_t> columns,
                    uint32_t map,
                    uint32_t root,
                    uint8_t flags,
                    uint32_t uniqueEntries)
{
    RealIndex r;
    std::size_t i = 0;
    for (uint16_t c : columns)
        r.columns[i++] = {c, 1};
    r.usageMap = map;
    r.rootPage = root;
    r.flags = flags;
    r.uniqueEntries = uniqueEntries;
    return r;
}

LogicalIndex logicalIndex(std::u16string name, uint32_t number, uint8_t type)
{
    LogicalIndex l;
    l.number = number;
    l.realIndex = number;
    l.indexType = type;
    // What Jet writes in these two bytes of its own tables' indexes.
    l.cascadeUpdates = 4;
    l.cascadeDeletes = 4;
    l.name = std::move(name);
    return l;
}

TableDef systemTable(std::vector<ColumnDef> columns, uint32_t mapsPage)
{
    TableDef def = tableWithMaps(kTableTypeSystem, std::move(columns), mapsPage);
    // Two maps per long-value column, in column order, after the table's own.
    uint8_t row = 2;
    for (const ColumnDef& c : def.columns)
        if (c.type == kTypeMemo || c.type == kTypeOle) {
            def.longValueMaps.push_back({c.number,
                                         rowPointer(mapsPage, row),
                                         rowPointer(mapsPage, static_cast<uint8_t>(row + 1))});
            row = static_cast<uint8_t>(row + 2);
        }
    return def;
}

uint8_t firstIndexMapRow(const TableDef& def)
{
    return static_cast<uint8_t>(2 + 2 * def.longValueMaps.size());
}

} // namespace

TableDef tableWithMaps(uint8_t tableType, std::vector<ColumnDef> columns, uint32_t mapsPage)
{
    TableDef def;
    def.tableType = tableType;
    def.maxCols = static_cast<uint16_t>(columns.size());
    def.columns = std::move(columns);
    def.ownedMap = rowPointer(mapsPage, 0);
    def.freeMap = rowPointer(mapsPage, 1);
    return def;
}

std::vector<ColumnDef> makeColumns(std::initializer_list<ColumnShape> shapes, bool systemTable)
{
    std::vector<ColumnDef> columns;
    uint16_t varCount = 0;
    uint16_t fixedOffset = 0;
    for (const ColumnShape& s : shapes) {
        ColumnDef c;
        c.type = s.type;
        c.number = static_cast<uint16_t>(columns.size());
        c.number2 = systemTable ? 0 : c.number;
        c.flags = s.flags;
        c.length = s.length;
        c.name = s.name;
        c.sortOrder = (systemTable || s.type == kTypeText) ? 0x0409 : 0;
        c.varIndex = varCount;
        if (!c.isFixed()) {
            ++varCount;
        } else if (s.type != kTypeBoolean) {
            c.fixedOffset = fixedOffset;
            fixedOffset = static_cast<uint16_t>(fixedOffset + s.length);
        }
        columns.push_back(std::move(c));
    }
    return columns;
}

void sortByName(TableDef& def)
{
    std::stable_sort(def.columns.begin(),
                     def.columns.end(),
                     [](const ColumnDef& a, const ColumnDef& b) { return byName(a.name, b.name); });
    std::stable_sort(
        def.logicalIndexes.begin(),
        def.logicalIndexes.end(),
        [](const LogicalIndex& a, const LogicalIndex& b) { return byName(a.name, b.name); });
    std::stable_sort(def.longValueMaps.begin(),
                     def.longValueMaps.end(),
                     [&def](const LongValueMaps& a, const LongValueMaps& b) {
                         auto nameOf = [&def](uint16_t number) {
                             for (const ColumnDef& c : def.columns)
                                 if (c.number == number)
                                     return std::u16string_view(c.name);
                             return std::u16string_view();
                         };
                         return byName(nameOf(a.column), nameOf(b.column));
                     });
}

std::vector<Cell> rowOf(const TableDef& def,
                        std::initializer_list<std::pair<std::u16string_view, Cell>> values)
{
    std::vector<Cell> row(def.columns.size());
    for (const auto& [name, value] : values) {
        int at = def.find(name);
        if (at < 0)
            throw std::logic_error("no such column in a system table");
        row[static_cast<std::size_t>(at)] = value;
    }
    return row;
}

std::vector<uint8_t> indexLeafPage(uint32_t owner, std::vector<std::vector<uint8_t>> entries)
{
    std::sort(entries.begin(), entries.end(), bytesBefore);
    std::vector<uint8_t> page(kPageSize, 0);
    put8(page, 0, kPageIndexLeaf);
    put8(page, kPageSignature, kPageSignatureValue);
    put32(page, kLeafOwner, owner);
    std::size_t at = kLeafEntries;
    for (const auto& e : entries) {
        if (at + e.size() > kPageSize)
            throw std::length_error("index entries do not fit one leaf page");
        std::copy(e.begin(), e.end(), page.begin() + static_cast<std::ptrdiff_t>(at));
        at += e.size();
        // One bit per entry end, counted from the first entry.
        std::size_t bit = at - kLeafEntries;
        page[kLeafBitmap + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    put16(page, kLeafFreeSpace, static_cast<uint16_t>(kPageSize - at));
    return page;
}

void appendLongKey(std::vector<uint8_t>& entry, int32_t value)
{
    // Big-endian with the sign bit flipped, so bytes sort like the numbers.
    auto key = static_cast<uint32_t>(value) ^ 0x80000000u;
    entry.push_back(0x7F);
    for (int shift = 24; shift >= 0; shift -= 8)
        entry.push_back(static_cast<uint8_t>(key >> shift));
}

void appendTextKey(std::vector<uint8_t>& entry, std::u16string_view text)
{
    // Sort codes of "General legacy" for the characters object names use;
    // letters ignore case.
    static constexpr uint8_t kLetters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                             0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                             0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    entry.push_back(0x7F);
    for (char16_t c : text) {
        c = foldNameCase(c);
        if (c >= u'A' && c <= u'Z')
            entry.push_back(kLetters[c - u'A']);
        else if (c >= u'0' && c <= u'9')
            entry.push_back(static_cast<uint8_t>(0x36 + 2 * (c - u'0')));
        else if (c == u' ')
            entry.push_back(0x07);
        else
            throw std::invalid_argument("object name needs a sort code the generator lacks");
    }
    entry.push_back(0x01);
    entry.push_back(0x00);
}

void appendRowPointer(std::vector<uint8_t>& entry, uint32_t page, uint8_t row)
{
    entry.push_back(static_cast<uint8_t>(page >> 16));
    entry.push_back(static_cast<uint8_t>(page >> 8));
    entry.push_back(static_cast<uint8_t>(page));
    entry.push_back(row);
}

TableDef catalogDef()
{
    TableDef def = systemTable(makeColumns({{u"Id", kTypeLong, 4, 0x13},
                                            {u"ParentId", kTypeLong, 4, 0x13},
                                            {u"Name", kTypeText, 510, 0x12},
                                            {u"Type", kTypeInteger, 2, 0x13},
                                            {u"DateCreate", kTypeDateTime, 8, 0x13},
                                            {u"DateUpdate", kTypeDateTime, 8, 0x13},
                                            {u"Owner", kTypeBinary, 510, 0x32},
                                            {u"Flags", kTypeLong, 4, 0x13},
                                            {u"Database", kTypeMemo, 0, 0x12},
                                            {u"Connect", kTypeMemo, 0, 0x12},
                                            {u"ForeignName", kTypeText, 510, 0x12},
                                            {u"RmtInfoShort", kTypeBinary, 510, 0x12},
                                            {u"RmtInfoLong", kTypeOle, 0, 0x12},
                                            {u"Lv", kTypeOle, 0, 0x12},
                                            {u"LvProp", kTypeOle, 0, 0x12},
                                            {u"LvModule", kTypeOle, 0, 0x12},
                                            {u"LvExtra", kTypeOle, 0, 0x12}},
                                           true),
                               kPgObjectsMaps);
    uint8_t m = firstIndexMapRow(def);
    def.realIndexes = {realIndex({1, 2}, rowPointer(kPgObjectsMaps, m), kPgObjectsByName, 0x81, 0),
                       realIndex({0},
                                 rowPointer(kPgObjectsMaps, static_cast<uint8_t>(m + 1)),
                                 kPgObjectsById,
                                 0x81,
                                 0)};
    def.logicalIndexes = {logicalIndex(u"ParentIdName", 0, 0), logicalIndex(u"Id", 1, 1)};
    return def;
}

TableDef acesDef()
{
    TableDef def = systemTable(makeColumns({{u"ObjectId", kTypeLong, 4, 0x13},
                                            {u"SID", kTypeBinary, 510, 0x32},
                                            {u"ACM", kTypeLong, 4, 0x13},
                                            {u"FInheritable", kTypeBoolean, 1, 0x13}},
                                           true),
                               kPgAcesMaps);
    def.realIndexes = {
        realIndex({0}, rowPointer(kPgAcesMaps, firstIndexMapRow(def)), kPgAcesByObject, 0x88, 0)};
    def.logicalIndexes = {logicalIndex(u"ObjectId", 0, 0)};
    return def;
}

TableDef queriesDef()
{
    TableDef def = systemTable(makeColumns({{u"ObjectId", kTypeLong, 4, 0x13},
                                            {u"Attribute", kTypeByte, 1, 0x13},
                                            {u"Order", kTypeBinary, 510, 0x12},
                                            {u"Name1", kTypeText, 510, 0x12},
                                            {u"Name2", kTypeText, 510, 0x12},
                                            {u"Expression", kTypeMemo, 0, 0x12},
                                            {u"Flag", kTypeInteger, 2, 0x13},
                                            {u"LvExtra", kTypeLong, 4, 0x13}},
                                           true),
                               kPgQueriesMaps);
    def.realIndexes = {realIndex({0, 1, 2},
                                 rowPointer(kPgQueriesMaps, firstIndexMapRow(def)),
                                 kPgQueriesIndex,
                                 0x81,
                                 0)};
    def.logicalIndexes = {logicalIndex(u"ObjectIdAttribute", 0, 1)};
    return def;
}

TableDef relationshipsDef()
{
    TableDef def = systemTable(makeColumns({{u"szRelationship", kTypeText, 510, 0x12},
                                            {u"grbit", kTypeLong, 4, 0x13},
                                            {u"ccolumn", kTypeLong, 4, 0x13},
                                            {u"icolumn", kTypeLong, 4, 0x13},
                                            {u"szObject", kTypeText, 510, 0x12},
                                            {u"szColumn", kTypeText, 510, 0x12},
                                            {u"szReferencedObject", kTypeText, 510, 0x12},
                                            {u"szReferencedColumn", kTypeText, 510, 0x12}},
                                           true),
                               kPgRelationsMaps);
    uint8_t m = firstIndexMapRow(def);
    uint16_t columns[] = {0, 4, 6};
    const char16_t* names[] = {u"szRelationship", u"szObject", u"szReferencedObject"};
    for (uint32_t i = 0; i < 3; ++i) {
        def.realIndexes.push_back(
            realIndex({columns[i]},
                      rowPointer(kPgRelationsMaps, static_cast<uint8_t>(m + i)),
                      kPgRelationsIndex + i,
                      0x82,
                      0));
        def.logicalIndexes.push_back(logicalIndex(names[i], i, 0));
    }
    return def;
}

} // namespace mdbgen
