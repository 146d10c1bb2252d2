#include "checker_p.h"
#include "indexkeys.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace mdbcheck {

namespace {

constexpr uint32_t kLongValueOwner = 0x4C41564C; // "LVAL"

// Index entries in the order the index keeps them: byte by byte, a prefix first.
// Spelled out because GCC 12 at -O3 misreads the bounds of std::vector's own <=>
// on bytes and stops a Release build.
struct EntryLess {
    bool operator()(const Bytes& a, const Bytes& b) const
    {
        const std::size_t common = std::min(a.size(), b.size());
        if (common != 0) {
            if (int c = std::memcmp(a.data(), b.data(), common); c != 0)
                return c < 0;
        }
        return a.size() < b.size();
    }
};

size_t fixedSizeOf(uint8_t type)
{
    switch (type) {
    case 0x02:
        return 1;
    case 0x03:
        return 2;
    case 0x04:
    case 0x06:
        return 4;
    case 0x05:
    case 0x07:
    case 0x08:
        return 8;
    case 0x0F:
        return 16;
    case 0x10:
        return 17;
    default:
        return 0;
    }
}

std::string pageName(uint32_t p)
{
    return "page " + std::to_string(p);
}

} // namespace

void Checker::checkDataPage(uint32_t page)
{
    if (!m_checkedDataPages.insert(page).second)
        return;
    DataPage d;
    try {
        d = m_image.dataPage(page);
    } catch (const FormatError& e) {
        report("data-page", e.what());
        return;
    }
    auto raw = m_image.page(page);
    if (raw[1] != 0x01)
        report("data-page", pageName(page) + " byte 1 is not 0x01");
    size_t tableEnd = jet4::kDataRowTable + 2 * d.slots.size();
    size_t used = 0;
    bool offsetsOk = true;
    for (size_t i = 0; i < d.slots.size(); ++i) {
        const RowSlot& s = d.slots[i];
        if (s.start < tableEnd || s.start > jet4::kPageSize || s.start > s.end) {
            report("row-offset",
                   pageName(page) + " row " + std::to_string(i) + " offset " +
                       std::to_string(s.start) + " is outside " + std::to_string(tableEnd) + ".." +
                       std::to_string(s.end));
            offsetsOk = false;
            continue;
        }
        used += s.length();
    }
    if (offsetsOk && size_t(d.freeSpace) + used + tableEnd != jet4::kPageSize)
        report("free-space",
               pageName(page) + " records " + std::to_string(d.freeSpace) +
                   " free bytes; its rows leave " +
                   std::to_string(jet4::kPageSize - tableEnd - used));
}

std::optional<UsageMap> Checker::tableMap(uint32_t pointer, const std::string& what)
{
    try {
        UsageMap m = m_image.usageMap(pointer);
        m_mapRowPages.insert(m.where.page);
        for (uint32_t p : m.bitmapPages) {
            claim(p, "bitmap of " + what);
            if (m_image.page(p)[1] != 0x01)
                report("usage-map", pageName(p) + " (bitmap of " + what + ") byte 1 is not 0x01");
        }
        return m;
    } catch (const FormatError& e) {
        report("usage-map", what + ": " + e.what());
        return std::nullopt;
    }
}

void Checker::checkTdefFields(const TableDef& t, const std::string& name)
{
    std::string where = "table " + name + " (" + pageName(t.page) + ")";
    if (t.magic != jet4::kTdefMagic)
        report("tdef", where + " magic is " + std::to_string(t.magic) + ", not 1625");
    if (m_image.page(t.page)[1] != 0x01)
        report("tdef", where + " byte 1 is not 0x01");
    if (!t.trailerFound || t.parsedEnd + 2 != t.tdefLen)
        report("tdef",
               where + " definition ends at " + std::to_string(t.parsedEnd + 2) +
                   (t.trailerFound ? "" : " without its FF FF trailer") + ", tdef_len says " +
                   std::to_string(t.tdefLen));
    if (t.continuation.empty() && size_t(t.freeField) + t.tdefLen + 8 != jet4::kPageSize)
        report("tdef",
               where + " free field " + std::to_string(t.freeField) + " does not match tdef_len " +
                   std::to_string(t.tdefLen));
    if (t.tableType != 0x4E && t.tableType != 0x53)
        report("tdef", where + " table type " + std::to_string(t.tableType));
    if (t.logicalIndexes.size() < t.realIndexes.size())
        report("tdef", where + " has fewer logical than real indexes");
    // Jet stores logical indexes sorted by name, so their numbers are a permutation.
    std::set<uint32_t> logicalNumbers;
    for (const LogicalIndex& l : t.logicalIndexes) {
        if (l.magic != jet4::kTdefMagic || l.number >= t.numIdx || l.realIndex >= t.numRealIdx ||
            !logicalNumbers.insert(l.number).second)
            report("tdef", where + " logical index " + l.name + " is inconsistent");
    }
    for (size_t i = 0; i < t.longValueMaps.size(); ++i) {
        const Column* c = t.columnNumber(t.longValueMaps[i].column);
        if (c == nullptr || !c->longValue())
            report("tdef",
                   where + " long-value map list names column " +
                       std::to_string(t.longValueMaps[i].column));
    }
}

void Checker::checkColumns(const TableDef& t, const std::string& name, bool userTable)
{
    std::string where = "table " + name + ": ";
    std::set<uint16_t> numbers;
    std::set<uint16_t> varIndexes;
    std::set<std::string> names;
    std::vector<std::pair<size_t, size_t>> fixedRanges;
    size_t vars = 0;
    for (const Column& c : t.columns) {
        if (c.number >= t.maxCols || !numbers.insert(c.number).second)
            report("tdef", where + "column " + c.name + " has number " + std::to_string(c.number));
        std::string lower = c.name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) {
            return char(std::tolower(ch));
        });
        if (c.name.empty() || !names.insert(lower).second)
            report("tdef", where + "column name \"" + c.name + "\" is empty or repeated");
        if (c.fixed()) {
            size_t size = fixedSizeOf(c.type);
            if (c.boolean())
                continue;
            if ((size != 0 && c.length != size) || (c.type == 0x0A && c.length % 2 != 0))
                report("tdef",
                       where + "fixed column " + c.name + " of type " + std::to_string(c.type) +
                           " has length " + std::to_string(c.length));
            fixedRanges.emplace_back(c.fixedOffset, c.fixedOffset + c.length);
        } else {
            ++vars;
            if (!varIndexes.insert(c.varIndex).second)
                report("tdef",
                       where + "variable index " + std::to_string(c.varIndex) + " used twice");
            if (c.type == 0x0A && (c.length % 2 != 0 || c.length > 510))
                report("tdef",
                       where + "text column " + c.name + " has length " + std::to_string(c.length));
            // Access keeps a Long as variable in MSysAccessObjects; user tables never.
            if (userTable && fixedSizeOf(c.type) != 0)
                report("tdef", where + "column " + c.name + " of a fixed type is variable");
        }
    }
    if (t.maxCols < t.numCols)
        report("tdef", where + "max_cols is below num_cols");
    if (vars != t.numVarCols)
        report("tdef",
               where + std::to_string(vars) + " variable columns, TDEF says " +
                   std::to_string(t.numVarCols));
    if (!varIndexes.empty() && (*varIndexes.rbegin() + size_t(1) != varIndexes.size()))
        report("tdef", where + "variable indexes are not 0.." + std::to_string(vars - 1));
    std::sort(fixedRanges.begin(), fixedRanges.end());
    for (size_t i = 1; i < fixedRanges.size(); ++i)
        if (fixedRanges[i].first < fixedRanges[i - 1].second)
            report("tdef",
                   where + "fixed columns overlap at offset " +
                       std::to_string(fixedRanges[i].first));
}

std::vector<Row>
Checker::checkRows(const TableDef& t, const UsageMap& owned, const std::string& name)
{
    std::vector<Row> rows;
    uint32_t live = 0;
    for (uint32_t p : owned.pages) {
        if (p >= m_image.pageCount()) {
            report("page-owner",
                   "table " + name + " owns " + pageName(p) + ", past the end of the file");
            continue;
        }
        claim(p, "data of " + name);
        if (m_image.pageType(p) != jet4::kPageData) {
            report("page-owner",
                   "table " + name + " owns " + pageName(p) + " of type " +
                       std::to_string(m_image.pageType(p)));
            continue;
        }
        checkDataPage(p);
        DataPage d;
        try {
            d = m_image.dataPage(p);
        } catch (const FormatError&) {
            continue;
        }
        if (d.owner != t.page) {
            report("page-owner",
                   "table " + name + " owns " + pageName(p) + ", whose owner is " +
                       std::to_string(d.owner));
            continue;
        }
        if (d.slots.empty())
            report("empty-page",
                   "table " + name + " owns " + pageName(p) +
                       ", which has no row slots: mdbtools reads such a page as "
                       "one row of nulls");
        for (size_t i = 0; i < d.slots.size(); ++i) {
            if (d.slots[i].flagged()) {
                if (!d.slots[i].deleted())
                    report("row-flags",
                           pageName(p) + " row " + std::to_string(i) +
                               " carries only one of the deleted/overflow flags");
                continue;
            }
            ++live;
            try {
                rows.push_back(m_image.decodeRow(t, {p, uint8_t(i)}));
            } catch (const FormatError& e) {
                report("row-decode",
                       "table " + name + " " + pageName(p) + " row " + std::to_string(i) + ": " +
                           e.what());
            }
        }
    }
    if (live != t.rowCount)
        report("row-count",
               "table " + name + " TDEF row count " + std::to_string(t.rowCount) + " but " +
                   std::to_string(live) + " live rows",
               live + 1 == t.rowCount || live == t.rowCount + 1 ? false : true);
    return rows;
}

void Checker::checkTable(uint32_t tdefPage, const std::string& name, bool userTable)
{
    if (m_tables.count(tdefPage) != 0) {
        report("catalog", "two catalog rows point at " + pageName(tdefPage));
        return;
    }
    TableDef t;
    try {
        t = m_image.tableDef(tdefPage);
    } catch (const FormatError& e) {
        report("tdef", "table " + name + ": " + e.what());
        return;
    }
    m_tables[tdefPage] = t;
    claim(tdefPage, "definition of " + name);
    for (uint32_t p : t.continuation)
        claim(p, "definition of " + name);
    checkTdefFields(t, name);
    checkColumns(t, name, userTable);

    auto owned = tableMap(t.ownedMap, "owned pages of " + name);
    auto free = tableMap(t.freeMap, "free-space pages of " + name);
    if (owned && free)
        for (uint32_t p : free->pages)
            if (owned->pages.count(p) == 0)
                report("usage-map",
                       "table " + name + " lists " + pageName(p) +
                           " as free space but does not own it");
    for (const LongValueMaps& lv : t.longValueMaps) {
        for (uint32_t ptr : {lv.owned, lv.free}) {
            if (ptr == 0)
                continue;
            auto m = tableMap(ptr, "long values of " + name);
            if (!m || ptr == lv.free)
                continue;
            for (uint32_t p : m->pages) {
                claim(p, "long values of " + name);
                if (p < m_image.pageCount() && m_image.pageType(p) == jet4::kPageData &&
                    le32(m_image.page(p), 4) == kLongValueOwner)
                    checkDataPage(p);
                else
                    report("page-owner",
                           pageName(p) + " in a long-value map of " + name +
                               " is not a long-value page");
            }
        }
    }
    std::vector<Row> rows;
    if (owned)
        rows = checkRows(t, *owned, name);
    for (size_t i = 0; i < t.realIndexes.size(); ++i)
        checkIndex(t, i, rows, name);
    m_rows[tdefPage] = std::move(rows);
}

void Checker::checkIndex(const TableDef& t,
                         size_t number,
                         const std::vector<Row>& rows,
                         const std::string& name)
{
    const RealIndex& idx = t.realIndexes[number];
    std::string where = "index " + std::to_string(number) + " of " + name;
    auto map = tableMap(idx.mapPointer, where);
    if (!map)
        return;
    for (uint32_t p : map->pages) {
        claim(p, where);
        if (p >= m_image.pageCount())
            continue;
        auto pg = m_image.page(p);
        if ((pg[0] != jet4::kPageIndexLeaf && pg[0] != jet4::kPageIndexNode) ||
            le32(pg, 4) != t.page)
            report("page-owner", pageName(p) + " in " + where + " is not an index page of it");
    }
    if (map->pages.count(idx.rootPage) == 0 || idx.rootPage >= m_image.pageCount()) {
        report("index", where + ": root " + pageName(idx.rootPage) + " is not in its map");
        return;
    }
    auto root = m_image.page(idx.rootPage);
    if (root[0] != jet4::kPageIndexLeaf || map->pages.size() != 1) {
        report("index",
               where + " spans more than one leaf page; only single-leaf indexes are "
                       "verified");
        return;
    }
    if (root[1] != 0x01 || le32(root, 12) != 0 || le32(root, 16) != 0 || le32(root, 20) != 0)
        report("index", where + ": single leaf has neighbour pointers set");
    LeafEntries leaf;
    try {
        leaf = readLeaf(root);
    } catch (const FormatError& e) {
        report("index", where + ": " + e.what());
        return;
    }
    size_t free = le16(root, 2);
    if (free + jet4::kIndexEntries + leaf.storedBytes != jet4::kPageSize)
        report("index-free-space",
               where + " records " + std::to_string(free) + " free bytes; its entries leave " +
                   std::to_string(jet4::kPageSize - jet4::kIndexEntries - leaf.storedBytes));
    for (size_t i = 1; i < leaf.entries.size(); ++i)
        if (!(leaf.entries[i - 1] < leaf.entries[i]))
            report("index-order",
                   where + ": entry " + std::to_string(i) + " does not sort after the one before");
    std::vector<Bytes> expected;
    for (const Row& r : rows) {
        auto e = indexEntry(t, idx, r);
        if (!e) {
            if (!m_options.verifiableIndexKeys)
                return;
            report("index",
                   where + ": a key value of row " + std::to_string(r.where.row) + " on " +
                       pageName(r.where.page) + " cannot be encoded here",
                   false);
            return;
        }
        expected.push_back(*e);
    }
    // Each row's entry against the leaf's, duplicates counted: above zero is a
    // row without its entry, below zero an entry without its row.
    std::map<Bytes, long, EntryLess> balance;
    for (const Bytes& e : expected)
        ++balance[e];
    for (const Bytes& e : leaf.entries)
        --balance[e];
    long missing = 0;
    long extra = 0;
    for (const auto& [entry, count] : balance)
        (count > 0 ? missing : extra) += std::abs(count);
    if (missing != 0 || extra != 0)
        report("index-entries",
               where + ": " + std::to_string(missing) + " rows have no entry, " +
                   std::to_string(extra) + " entries match no row");
    std::set<Bytes, EntryLess> keys;
    for (const Bytes& e : leaf.entries)
        if (e.size() >= 4)
            keys.insert(Bytes(e.begin(), e.end() - 4));
    if (keys.size() != idx.uniqueCount)
        report("index",
               where + ": TDEF counts " + std::to_string(idx.uniqueCount) +
                   " distinct keys, the index holds " + std::to_string(keys.size()));
}

} // namespace mdbcheck
