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

// Encoding and decoding walk each block through one description of its
// fields, so every offset is written once and the two directions cannot
// drift apart.
class BlockWriter {
public:
    BlockWriter(std::span<uint8_t> out, std::size_t at) : m_out(out), m_at(at) {}
    void field(std::size_t off, uint8_t v) { put8(m_out, m_at + off, v); }
    void field(std::size_t off, uint16_t v) { put16(m_out, m_at + off, v); }
    void field(std::size_t off, uint32_t v) { put32(m_out, m_at + off, v); }
    void field(std::size_t off, int32_t v) { put32(m_out, m_at + off, static_cast<uint32_t>(v)); }
    // What Jet writes there; a reader takes it as it comes.
    void constant(std::size_t off, uint32_t v) { put32(m_out, m_at + off, v); }

private:
    std::span<uint8_t> m_out;
    std::size_t m_at;
};

class BlockReader {
public:
    BlockReader(std::span<const uint8_t> page, std::size_t at) : m_page(page), m_at(at) {}
    void field(std::size_t off, uint8_t& v) { v = get8(m_page, m_at + off); }
    void field(std::size_t off, uint16_t& v) { v = get16(m_page, m_at + off); }
    void field(std::size_t off, uint32_t& v) { v = get32(m_page, m_at + off); }
    void field(std::size_t off, int32_t& v) { v = static_cast<int32_t>(get32(m_page, m_at + off)); }
    void constant(std::size_t, uint32_t) {}

private:
    std::span<const uint8_t> m_page;
    std::size_t m_at;
};

// The header fields that are plain members; the counts follow the vectors.
template <class Io, class Def> void headerFields(Io& io, Def& def)
{
    io.field(kTdefRowCount, def.rowCount);
    io.field(kTdefAutoNumber, def.autoNumber);
    io.field(kTdefFlag, def.flag24);
    io.field(kTdefTableType, def.tableType);
    io.field(kTdefMaxCols, def.maxCols);
    io.field(kTdefOwnedMap, def.ownedMap);
    io.field(kTdefFreeMap, def.freeMap);
}

struct RealIndexInfo {
    static constexpr std::size_t kSize = kRealIndexInfoSize;
    template <class Io, class Index> void operator()(Io& io, Index& r) const
    {
        io.field(kRealInfoRowCount, r.rowCountInfo);
        io.field(kRealInfoUniqueEntries, r.uniqueEntries);
        io.field(kRealInfoReserved, r.reservedInfo);
    }
};

struct ColumnBlock {
    static constexpr std::size_t kSize = kColumnBlockSize;
    template <class Io, class Column> void operator()(Io& io, Column& c) const
    {
        io.field(kColType, c.type);
        io.constant(kColMagic, kTdefMagicValue);
        io.field(kColNumber, c.number);
        io.field(kColVarIndex, c.varIndex);
        io.field(kColNumber2, c.number2);
        io.field(kColSortOrder, c.sortOrder);
        io.field(kColFlags, c.flags);
        io.field(kColExtFlags, c.extFlags);
        io.field(kColReserved, c.reserved);
        io.field(kColFixedOffset, c.fixedOffset);
        io.field(kColLength, c.length);
    }
};

struct RealIndexBlock {
    static constexpr std::size_t kSize = kRealIndexBlockSize;
    template <class Io, class Index> void operator()(Io& io, Index& r) const
    {
        io.constant(kRealMagic, kRealIndexMagic);
        for (std::size_t i = 0; i < kIndexColumnSlots; ++i) {
            std::size_t slot = kRealColumns + i * kIndexColumnSlotSize;
            io.field(slot + kSlotColumn, r.columns[i].column);
            io.field(slot + kSlotOrder, r.columns[i].order);
        }
        io.field(kRealUsageMap, r.usageMap);
        io.field(kRealRootPage, r.rootPage);
        io.field(kRealReserved, r.reserved);
        io.field(kRealFlags, r.flags);
    }
};

struct LogicalIndexBlock {
    static constexpr std::size_t kSize = kLogicalIndexBlockSize;
    template <class Io, class Index> void operator()(Io& io, Index& l) const
    {
        io.constant(kLogicalMagic, kTdefMagicValue);
        io.field(kLogicalNumber, l.number);
        io.field(kLogicalRealIndex, l.realIndex);
        io.field(kLogicalRelatedTableType, l.relatedTableType);
        io.field(kLogicalRelatedIndex, l.relatedIndex);
        io.field(kLogicalRelatedTablePage, l.relatedTablePage);
        io.field(kLogicalCascadeUpdates, l.cascadeUpdates);
        io.field(kLogicalCascadeDeletes, l.cascadeDeletes);
        io.field(kLogicalIndexType, l.indexType);
        io.field(kLogicalReserved, l.reserved);
    }
};

struct LongValueMapsBlock {
    static constexpr std::size_t kSize = kLongValueMapsBlockSize;
    template <class Io, class Maps> void operator()(Io& io, Maps& m) const
    {
        io.field(kLvColumn, m.column);
        io.field(kLvOwnedMap, m.ownedMap);
        io.field(kLvFreeMap, m.freeMap);
    }
};

template <class Block, class T>
void appendBlocks(std::vector<uint8_t>& out, const std::vector<T>& items)
{
    for (const T& item : items) {
        std::size_t at = out.size();
        out.resize(at + Block::kSize);
        BlockWriter io(out, at);
        Block{}(io, item);
    }
}

template <class Block, class T>
void readBlocks(std::span<const uint8_t> page, std::size_t& pos, std::vector<T>& items)
{
    for (T& item : items) {
        requireRange(page, pos, Block::kSize);
        BlockReader io(page, pos);
        Block{}(io, item);
        pos += Block::kSize;
    }
}

} // namespace

bool sameName(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return foldNameCase(x) == foldNameCase(y);
           });
}

int TableDef::find(std::u16string_view name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (sameName(columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::vector<uint8_t> encodeTableDef(const TableDef& def)
{
    std::vector<uint8_t> out(kTdefRealIndexInfo);
    put8(out, 0, kPageTdef);
    put8(out, kPageSignature, kPageSignatureValue);
    put32(out, kTdefMagic, kTdefMagicValue);
    BlockWriter head(out, 0);
    headerFields(head, def);
    put16(out, kTdefNumVarCols, def.varColumnCount());
    put16(out, kTdefNumCols, static_cast<uint16_t>(def.columns.size()));
    put32(out, kTdefNumLogicalIndexes, static_cast<uint32_t>(def.logicalIndexes.size()));
    put32(out, kTdefNumRealIndexes, static_cast<uint32_t>(def.realIndexes.size()));

    appendBlocks<RealIndexInfo>(out, def.realIndexes);
    appendBlocks<ColumnBlock>(out, def.columns);
    for (const ColumnDef& c : def.columns)
        appendName(out, c.name);
    appendBlocks<RealIndexBlock>(out, def.realIndexes);
    appendBlocks<LogicalIndexBlock>(out, def.logicalIndexes);
    for (const LogicalIndex& l : def.logicalIndexes)
        appendName(out, l.name);
    appendBlocks<LongValueMapsBlock>(out, def.longValueMaps);
    out.resize(out.size() + 2);
    put16(out, out.size() - 2, kTdefTrailer);

    if (out.size() + kTdefTailReserve > kPageSize)
        throw FormatError("table definition does not fit on one page");
    std::size_t length = out.size();
    put32(out, kTdefLength, static_cast<uint32_t>(length));
    put16(out, kTdefFreeSpace, static_cast<uint16_t>(kPageSize - length - kTdefTailReserve));
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
    BlockReader head(page, 0);
    headerFields(head, def);
    uint16_t numCols = get16(page, kTdefNumCols);
    uint32_t numLogical = get32(page, kTdefNumLogicalIndexes);
    uint32_t numReal = get32(page, kTdefNumRealIndexes);
    // Every count is bounded by what the page can hold, so a damaged count
    // fails the range checks below instead of allocating without bound.
    if (numReal > kPageSize / kRealIndexBlockSize ||
        numLogical > kPageSize / kLogicalIndexBlockSize || numCols > kPageSize / kColumnBlockSize)
        throw FormatError("impossible counts in a table definition");

    std::size_t pos = kTdefRealIndexInfo;
    def.realIndexes.resize(numReal);
    readBlocks<RealIndexInfo>(page, pos, def.realIndexes);
    def.columns.resize(numCols);
    readBlocks<ColumnBlock>(page, pos, def.columns);
    for (ColumnDef& c : def.columns)
        c.name = readName(page, pos);
    readBlocks<RealIndexBlock>(page, pos, def.realIndexes);
    def.logicalIndexes.resize(numLogical);
    readBlocks<LogicalIndexBlock>(page, pos, def.logicalIndexes);
    for (LogicalIndex& l : def.logicalIndexes)
        l.name = readName(page, pos);
    def.longValueMaps.resize(static_cast<std::size_t>(
        std::count_if(def.columns.begin(), def.columns.end(), [](const ColumnDef& c) {
            return c.type == kTypeMemo || c.type == kTypeOle;
        })));
    readBlocks<LongValueMapsBlock>(page, pos, def.longValueMaps);
    if (get16(page, pos) != kTdefTrailer)
        throw FormatError("table definition trailer missing");
    for (const ColumnDef& c : def.columns)
        if (c.number >= def.maxCols)
            throw FormatError("column number beyond the table's column count");
    return def;
}

} // namespace mdb
