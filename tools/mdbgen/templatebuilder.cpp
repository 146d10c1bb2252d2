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
std::vector<uint8_t> mapRowsPage(const std::vector<UsageMap>& maps, uint32_t owner = 0)
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
    return tableWithMaps(kTableTypeUser, std::move(defs), kPgLogMaps);
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

using Pages = std::vector<std::vector<uint8_t>>;

// Jet's four tables, their blocks in Jet's order: by name, which rows do
// not depend on.
struct SystemTables {
    TableDef objects = catalogDef();
    TableDef acl = acesDef();
    TableDef queries = queriesDef();
    TableDef relations = relationshipsDef();

    SystemTables()
    {
        for (TableDef* def : {&objects, &acl, &queries, &relations})
            sortByName(*def);
    }
};

std::vector<CatalogEntry> catalogEntries(double created)
{
    const double sys = headerDate();
    return {
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
}

// Jet's own grants, then LOG's: full rights for each id that holds a grant
// on the Tables container.
std::vector<Ace> permissions()
{
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
    std::vector<std::vector<uint8_t>> tableSids;
    for (const Ace& a : aces)
        if (a.object == kTables &&
            std::find(tableSids.begin(), tableSids.end(), a.sid) == tableSids.end())
            tableSids.push_back(a.sid);
    for (const std::vector<uint8_t>& sid : tableSids)
        aces.push_back({kPgLogDef, sid, kFullRights, false});
    return aces;
}

// MSysObjects: its rows and its two indexes, by parent and name and by id.
void writeCatalog(Pages& pages, TableDef& objects, const std::vector<CatalogEntry>& catalog)
{
    std::vector<std::vector<Cell>> rows;
    std::vector<std::vector<uint8_t>> byName, byId;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        const CatalogEntry& e = catalog[i];
        rows.push_back(rowOf(objects,
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
    objects.rowCount = static_cast<uint32_t>(catalog.size());
    objects.realIndexes[0].uniqueEntries = static_cast<uint32_t>(catalog.size());
    objects.realIndexes[1].uniqueEntries = static_cast<uint32_t>(catalog.size());
    pages[kPgObjectsRows] = rowsPage(kPgObjectsDef, objects, rows);
    pages[kPgObjectsByName] = indexLeafPage(kPgObjectsDef, byName);
    pages[kPgObjectsById] = indexLeafPage(kPgObjectsDef, byId);
}

// MSysACEs: its rows and its index by object.
void writePermissions(Pages& pages, TableDef& acl, const std::vector<Ace>& aces)
{
    std::vector<std::vector<Cell>> rows;
    std::vector<std::vector<uint8_t>> byObject;
    std::set<int32_t> objects;
    for (std::size_t i = 0; i < aces.size(); ++i) {
        const Ace& a = aces[i];
        rows.push_back(rowOf(acl,
                             {{u"ObjectId", int64_t{a.object}},
                              {u"SID", a.sid},
                              {u"ACM", a.rights},
                              {u"FInheritable", a.inheritable}}));
        std::vector<uint8_t> entry;
        appendLongKey(entry, a.object);
        appendRowPointer(entry, kPgAcesRows, static_cast<uint8_t>(i));
        byObject.push_back(std::move(entry));
        objects.insert(a.object);
    }
    acl.rowCount = static_cast<uint32_t>(aces.size());
    acl.realIndexes[0].uniqueEntries = static_cast<uint32_t>(objects.size());
    pages[kPgAcesRows] = rowsPage(kPgAcesDef, acl, rows);
    pages[kPgAcesByObject] = indexLeafPage(kPgAcesDef, byObject);
}

// The header, the global map, and Jet's four tables with their maps and
// (empty where Jet leaves them so) indexes.
void writeSystemTables(Pages& pages, const SystemTables& sys)
{
    pages[kPgHeader] = headerPage();
    pages[kPgGlobalMap] =
        mapRowsPage({globalMapFor(kLayoutPages, kTableMapRowLength), emptyInlineMap(0)},
                    kGlobalMapPage);
    pages[kPgObjectsDef] = encodeTableDef(sys.objects);
    pages[kPgAcesDef] = encodeTableDef(sys.acl);
    pages[kPgQueriesDef] = encodeTableDef(sys.queries);
    pages[kPgRelationsDef] = encodeTableDef(sys.relations);

    UsageMap none = emptyInlineMap(0);
    std::vector<UsageMap> objectsMaps = {inlineMapOf({kPgObjectsRows}),
                                         inlineMapOf({kPgObjectsRows})};
    objectsMaps.insert(objectsMaps.end(), 2 * sys.objects.longValueMaps.size(), none);
    objectsMaps.push_back(inlineMapOf({kPgObjectsByName}));
    objectsMaps.push_back(inlineMapOf({kPgObjectsById}));
    pages[kPgObjectsMaps] = mapRowsPage(objectsMaps);
    pages[kPgAcesMaps] = mapRowsPage(
        {inlineMapOf({kPgAcesRows}), inlineMapOf({kPgAcesRows}), inlineMapOf({kPgAcesByObject})});
    pages[kPgQueriesMaps] = mapRowsPage({none, none, none, none, inlineMapOf({kPgQueriesIndex})});
    pages[kPgRelationsMaps] = mapRowsPage({none,
                                           none,
                                           inlineMapOf({kPgRelationsIndex}),
                                           inlineMapOf({kPgRelationsIndex + 1}),
                                           inlineMapOf({kPgRelationsIndex + 2})});
    pages[kPgQueriesIndex] = indexLeafPage(kPgQueriesDef, {});
    for (uint32_t i = 0; i < 3; ++i)
        pages[kPgRelationsIndex + i] = indexLeafPage(kPgRelationsDef, {});
}

void writeUserTable(Pages& pages,
                    std::span<const LogColumn> columns,
                    const TemplateOptions& options)
{
    pages[kPgLogDef] = encodeTableDef(logDef(columns, options));
    // The table starts like one Jackcess creates: an owned-pages map of the
    // reference kind without bitmap pages yet, and an empty inline free map.
    pages[kPgLogMaps] = mapRowsPage({emptyReferenceMap(), emptyInlineMap(0)});
}

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
    // The catalog's counts go into the system tables' definitions, so the
    // catalog is written first.
    SystemTables sys;
    Pages pages(kLayoutPages);
    writeCatalog(pages, sys.objects, catalogEntries(created));
    writePermissions(pages, sys.acl, permissions());
    writeSystemTables(pages, sys);
    writeUserTable(pages, columns, options);

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
