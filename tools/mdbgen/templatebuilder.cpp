#include "templatebuilder.h"

#include "systemtables.h"

#include "mdb/bytes.h"
#include "mdb/datapage.h"
#include "mdb/format.h"
#include "mdb/pageio.h"
#include "mdb/usagemap.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <set>
#include <stdexcept>

namespace mdbgen {

using namespace mdb;
using namespace mdb::jet4;

namespace {

// One consistent set of per-file values from a database the Jet engine
// created: the header's creation date, the two unexplained header bytes at
// 0x6A and the security ids. Jet derives the ids from something in the file
// that is not understood, so they are only ever used together.
constexpr uint64_t kHeaderDateBits = 0x40E4EC4F6BD4AF81; // 42850.481912939817
constexpr uint8_t kHeaderBytes6A[] = {0xA6, 0x11};
const std::vector<uint8_t> kSidSystemObjects = {0x06, 0xEA}; // owner of containers, MSys tables
const std::vector<uint8_t> kSidDatabase = {0x07, 0xE8};      // owner of MSysDb and user tables
const std::vector<uint8_t> kSidInheritingA = {0x06, 0xED};
const std::vector<uint8_t> kSidInheritingB = {0x06, 0xE8};

constexpr int32_t kDbParent = 0x0F000000;
constexpr int32_t kTables = 0x0F000001;
constexpr int32_t kDatabases = 0x0F000002;
constexpr int32_t kRelationships = 0x0F000003;
constexpr int32_t kMSysDb = 0x10000000;
constexpr int64_t kSystemFlags = static_cast<int32_t>(0x80000000u);
// The table's grants that Jet stores on the Tables container; a new table
// gets one full-rights row per id found there.
constexpr int64_t kFullRights = 0xFFFFF;

double headerDate()
{
    double d;
    std::memcpy(&d, &kHeaderDateBits, sizeof d);
    return d;
}

UsageMap inlineMapOf(std::initializer_list<uint32_t> pages)
{
    UsageMap map = emptyInlineMap(0);
    for (uint32_t p : pages)
        inlineSet(map, p, true);
    return map;
}

// A data page owned by nobody that holds usage-map rows.
std::vector<uint8_t> mapRowsPage(std::initializer_list<UsageMap> maps, uint32_t owner = 0)
{
    std::vector<uint8_t> page = emptyDataPage(owner);
    for (const UsageMap& m : maps)
        if (!dataAddRow(page, encodeUsageMap(m)))
            throw std::length_error("usage maps do not fit their page");
    return page;
}

std::vector<uint8_t>
rowsPage(uint32_t owner, const TableDef& def, const std::vector<std::vector<Cell>>& rows)
{
    std::vector<uint8_t> page = emptyDataPage(owner);
    for (const auto& r : rows)
        if (!dataAddRow(page, encodeRow(def, r)))
            throw std::length_error("system rows do not fit their page");
    return page;
}

std::vector<uint8_t> headerPage()
{
    std::vector<uint8_t> page(kPageSize, 0);
    static constexpr uint8_t kStart[] = {0x00, 0x01, 0x00, 0x00};
    static constexpr char kEngine[] = "Standard Jet DB";
    static constexpr uint8_t kUnknown18[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                             0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                             0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    std::memcpy(page.data(), kStart, sizeof kStart);
    std::memcpy(page.data() + kHdrEngineName, kEngine, sizeof kEngine);
    put32(page, kHdrVersion, kVersionJet4);
    std::memcpy(page.data() + kHdrMaskedStart, kUnknown18, sizeof kUnknown18);
    put16(page, kHdrCodePage, 1252);
    put32(page, kHdrDatabaseKey, 0);
    // No password: the field holds the mask alone.
    uint32_t mask = passwordMask(headerDate());
    for (std::size_t i = 0; i < kHdrPasswordLength; i += 4)
        put32(page, kHdrPassword + i, mask);
    std::memcpy(page.data() + 0x6A, kHeaderBytes6A, sizeof kHeaderBytes6A);
    put32(page, kHdrSortOrder, 0x0409); // General, legacy version
    putDouble(page, kHdrCreationDate, headerDate());
    put32(page, 0x98, 0x0654);
    std::memcpy(page.data() + 0x9C, "4.0", 4);
    page[0xE00] = 0x01;
    page[0xE01] = 0x01;
    for (std::size_t i = 0xE02; i < kPageSize; i += 2)
        page[i + 1] = 0x01;
    toggleHeaderMask(page);
    return page;
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
    TableDef def;
    def.tableType = kTableTypeSystem;
    def.maxCols = static_cast<uint16_t>(columns.size());
    def.columns = std::move(columns);
    def.ownedMap = rowPointer(mapsPage, 0);
    def.freeMap = rowPointer(mapsPage, 1);
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

TableDef logDef(std::span<const LogColumn> columns, const TemplateOptions& options)
{
    std::vector<ColumnDef> defs;
    uint16_t varCount = 0;
    uint16_t fixedOffset = 0;
    for (const LogColumn& lc : columns) {
        ColumnDef c;
        c.number = static_cast<uint16_t>(defs.size());
        c.number2 = c.number;
        c.name = utf8ToUtf16(lc.name);
        c.varIndex = varCount;
        switch (lc.kind) {
        case ColumnKind::Text:
            c.type = kTypeText;
            c.flags = kColumnUpdatable;
            c.sortOrder = 0x0409;
            c.extFlags = options.compressText ? kColumnExtCompressedUnicode : 0;
            c.length = static_cast<uint16_t>(2 * options.textChars);
            ++varCount;
            break;
        case ColumnKind::Integer:
        case ColumnKind::Long:
        case ColumnKind::Double:
            c.type = lc.kind == ColumnKind::Integer ? kTypeInteger
                     : lc.kind == ColumnKind::Long  ? kTypeLong
                                                    : kTypeDouble;
            c.flags = kColumnFixed | kColumnUpdatable;
            c.length = lc.kind == ColumnKind::Integer ? 2 : lc.kind == ColumnKind::Long ? 4 : 8;
            c.fixedOffset = fixedOffset;
            fixedOffset = static_cast<uint16_t>(fixedOffset + c.length);
            break;
        }
        defs.push_back(std::move(c));
    }
    TableDef def;
    def.tableType = kTableTypeUser;
    def.maxCols = static_cast<uint16_t>(defs.size());
    def.columns = std::move(defs);
    def.ownedMap = rowPointer(kPgLogMaps, 0);
    def.freeMap = rowPointer(kPgLogMaps, 1);
    return def;
}

struct CatalogEntry {
    int32_t id;
    int32_t parent;
    std::u16string name;
    int16_t type;
    int64_t flags;
    std::vector<uint8_t> owner;
    double created;
};

struct Ace {
    int32_t object;
    std::vector<uint8_t> sid;
    int64_t rights;
    bool inheritable;
};

} // namespace

double oleDateFromUnix(double seconds)
{
    return 25569.0 + seconds / 86400.0;
}

std::vector<uint8_t> buildTemplate(std::span<const LogColumn> columns,
                                   const TemplateOptions& options)
{
    double created = options.createdAt;
    if (created == 0) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        created = oleDateFromUnix(std::chrono::duration<double>(now).count());
    }
    const double sys = headerDate();

    const std::vector<CatalogEntry> catalog = {
        {kTables, kDbParent, u"Tables", 3, kSystemFlags, kSidSystemObjects, sys},
        {kDatabases, kDbParent, u"Databases", 3, kSystemFlags, kSidSystemObjects, sys},
        {kRelationships, kDbParent, u"Relationships", 3, kSystemFlags, kSidSystemObjects, sys},
        {kMSysDb, kDatabases, u"MSysDb", 2, kSystemFlags, kSidDatabase, sys},
        {kPgObjectsDef, kTables, u"MSysObjects", 1, kSystemFlags, kSidSystemObjects, sys},
        {kPgAcesDef, kTables, u"MSysACEs", 1, kSystemFlags, kSidSystemObjects, sys},
        {kPgQueriesDef, kTables, u"MSysQueries", 1, kSystemFlags, kSidSystemObjects, sys},
        {kPgRelationsDef, kTables, u"MSysRelationships", 1, kSystemFlags, kSidSystemObjects, sys},
        {kPgLogDef, kTables, u"LOG", 1, 0, kSidDatabase, created},
    };
    std::vector<Ace> aces = {
        {2, kSidDatabase, 393216, false},
        {3, kSidDatabase, 393216, false},
        {4, kSidDatabase, 393216, false},
        {5, kSidDatabase, 917504, false},
        {kTables, kSidInheritingA, 983294, true},
        {kTables, kSidDatabase, 393217, false},
        {kRelationships, kSidInheritingA, 983294, true},
        {kRelationships, kSidDatabase, 393217, false},
        {kDatabases, kSidDatabase, 393216, false},
        {kMSysDb, kSidDatabase, 393230, false},
        {kMSysDb, kSidInheritingB, 14, false},
        {4, kSidInheritingB, 20, false},
        {5, kSidInheritingB, 20, false},
        {2, kSidInheritingB, 20, false},
        {kTables, kSidInheritingB, 1048319, true},
        {kRelationships, kSidInheritingB, 1048575, true},
    };
    std::vector<const std::vector<uint8_t>*> tableSids;
    for (const Ace& a : aces) {
        bool seen = std::any_of(tableSids.begin(),
                                tableSids.end(),
                                [&a](const std::vector<uint8_t>* sid) { return *sid == a.sid; });
        if (a.object == kTables && !seen)
            tableSids.push_back(&a.sid);
    }
    std::vector<Ace> logAces;
    for (const std::vector<uint8_t>* sid : tableSids)
        logAces.push_back({kPgLogDef, *sid, kFullRights, false});
    aces.insert(aces.end(), logAces.begin(), logAces.end());

    TableDef objects = catalogDef();
    TableDef acl = acesDef();
    TableDef queries = queriesDef();
    TableDef relations = relationshipsDef();
    TableDef log = logDef(columns, options);
    // Jet stores the blocks of its own tables by name; rows do not depend on
    // the block order.
    for (TableDef* def : {&objects, &acl, &queries, &relations})
        sortByName(*def);

    std::vector<std::vector<Cell>> objectRows;
    std::vector<std::vector<uint8_t>> byName, byId;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        const CatalogEntry& e = catalog[i];
        objectRows.push_back(rowOf(objects,
                                   {{u"Id", int64_t{e.id}},
                                    {u"ParentId", int64_t{e.parent}},
                                    {u"Name", e.name},
                                    {u"Type", int64_t{e.type}},
                                    {u"DateCreate", e.created},
                                    {u"DateUpdate", e.created},
                                    {u"Owner", e.owner},
                                    {u"Flags", e.flags}}));
        std::vector<uint8_t> nameEntry;
        appendLongKey(nameEntry, e.parent);
        appendTextKey(nameEntry, e.name);
        appendRowPointer(nameEntry, kPgObjectsRows, static_cast<uint8_t>(i));
        byName.push_back(std::move(nameEntry));
        std::vector<uint8_t> idEntry;
        appendLongKey(idEntry, e.id);
        appendRowPointer(idEntry, kPgObjectsRows, static_cast<uint8_t>(i));
        byId.push_back(std::move(idEntry));
    }
    std::vector<std::vector<Cell>> aceRows;
    std::vector<std::vector<uint8_t>> byObject;
    std::set<int32_t> aceObjects;
    for (std::size_t i = 0; i < aces.size(); ++i) {
        const Ace& a = aces[i];
        aceRows.push_back(rowOf(acl,
                                {{u"ObjectId", int64_t{a.object}},
                                 {u"SID", a.sid},
                                 {u"ACM", a.rights},
                                 {u"FInheritable", a.inheritable}}));
        std::vector<uint8_t> entry;
        appendLongKey(entry, a.object);
        appendRowPointer(entry, kPgAcesRows, static_cast<uint8_t>(i));
        byObject.push_back(std::move(entry));
        aceObjects.insert(a.object);
    }
    objects.rowCount = static_cast<uint32_t>(catalog.size());
    objects.realIndexes[0].uniqueEntries = static_cast<uint32_t>(catalog.size());
    objects.realIndexes[1].uniqueEntries = static_cast<uint32_t>(catalog.size());
    acl.rowCount = static_cast<uint32_t>(aces.size());
    acl.realIndexes[0].uniqueEntries = static_cast<uint32_t>(aceObjects.size());

    std::vector<std::vector<uint8_t>> pages(kLayoutPages);
    pages[kPgObjectsRows] = rowsPage(kPgObjectsDef, objects, objectRows);
    pages[kPgAcesRows] = rowsPage(kPgAcesDef, acl, aceRows);

    pages[kPgHeader] = headerPage();
    pages[kPgGlobalMap] =
        mapRowsPage({globalMapFor(kLayoutPages, kTableMapRowLength), emptyInlineMap(0)},
                    kGlobalMapPage);
    pages[kPgObjectsDef] = encodeTableDef(objects);
    pages[kPgAcesDef] = encodeTableDef(acl);
    pages[kPgQueriesDef] = encodeTableDef(queries);
    pages[kPgRelationsDef] = encodeTableDef(relations);
    pages[kPgLogDef] = encodeTableDef(log);

    UsageMap none = emptyInlineMap(0);
    std::vector<uint8_t> objectsMaps = emptyDataPage(0);
    auto addMap = [](std::vector<uint8_t>& page, const UsageMap& m) {
        if (!dataAddRow(page, encodeUsageMap(m)))
            throw std::length_error("usage maps do not fit their page");
    };
    addMap(objectsMaps, inlineMapOf({kPgObjectsRows}));
    addMap(objectsMaps, inlineMapOf({kPgObjectsRows}));
    for (std::size_t i = 0; i < 2 * objects.longValueMaps.size(); ++i)
        addMap(objectsMaps, none);
    addMap(objectsMaps, inlineMapOf({kPgObjectsByName}));
    addMap(objectsMaps, inlineMapOf({kPgObjectsById}));
    pages[kPgObjectsMaps] = std::move(objectsMaps);
    pages[kPgAcesMaps] = mapRowsPage(
        {inlineMapOf({kPgAcesRows}), inlineMapOf({kPgAcesRows}), inlineMapOf({kPgAcesByObject})});
    pages[kPgQueriesMaps] = mapRowsPage({none, none, none, none, inlineMapOf({kPgQueriesIndex})});
    pages[kPgRelationsMaps] = mapRowsPage({none,
                                           none,
                                           inlineMapOf({kPgRelationsIndex}),
                                           inlineMapOf({kPgRelationsIndex + 1}),
                                           inlineMapOf({kPgRelationsIndex + 2})});
    pages[kPgObjectsByName] = indexLeafPage(kPgObjectsDef, byName);
    pages[kPgObjectsById] = indexLeafPage(kPgObjectsDef, byId);
    pages[kPgAcesByObject] = indexLeafPage(kPgAcesDef, byObject);
    pages[kPgQueriesIndex] = indexLeafPage(kPgQueriesDef, {});
    for (uint32_t i = 0; i < 3; ++i)
        pages[kPgRelationsIndex + i] = indexLeafPage(kPgRelationsDef, {});
    // The table starts like one Jackcess creates: an owned-pages map of the
    // reference kind without bitmap pages yet, and an empty inline free map.
    pages[kPgLogMaps] = mapRowsPage({emptyReferenceMap(), emptyInlineMap(0)});

    std::vector<uint8_t> file;
    file.reserve(kLayoutPages * kPageSize);
    for (const auto& p : pages) {
        if (p.size() != kPageSize)
            throw std::logic_error("generator left a page unset");
        file.insert(file.end(), p.begin(), p.end());
    }
    return file;
}

} // namespace mdbgen
