#include "checker_p.h"

#include <algorithm>

namespace mdbcheck {

namespace {

std::string lowered(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) {
        return char(std::tolower(ch));
    });
    return s;
}

} // namespace

void Checker::loadCatalog()
{
    try {
        TableDef t = m_image.tableDef(jet4::kCatalogPage);
        std::vector<Row> rows = m_image.liveRows(t);
        const Column* id = t.column("Id");
        const Column* parent = t.column("ParentId");
        const Column* name = t.column("Name");
        const Column* type = t.column("Type");
        const Column* flags = t.column("Flags");
        if (!id || !parent || !name || !type || !flags) {
            report("catalog", "MSysObjects lacks one of Id, ParentId, Name, Type, Flags");
            return;
        }
        for (const Row& r : rows) {
            CatalogRow c;
            c.id = asLong(r, id).value_or(0);
            c.parentId = asLong(r, parent).value_or(0);
            c.name = asText(r, name).value_or("");
            c.type = asInteger(r, type).value_or(0);
            c.flags = asLong(r, flags).value_or(0);
            m_catalog.push_back(c);
        }
    } catch (const FormatError& e) {
        report("catalog", std::string("MSysObjects unreadable: ") + e.what());
    }
}

void Checker::checkCatalog()
{
    for (uint32_t p : m_mapRowPages) {
        if (p == 1)
            continue;
        claim(p, "usage-map rows");
        if (p >= m_image.pageCount() || m_image.pageType(p) != jet4::kPageData) {
            report("page-owner",
                   "usage-map rows on page " + std::to_string(p) + ", which is not a data page");
            continue;
        }
        if (le32(m_image.page(p), 4) != 0)
            report("page-owner",
                   "page " + std::to_string(p) + " holds usage-map rows but has an owner");
        checkDataPage(p);
    }

    static const char* kRequired[] = {"Tables",
                                      "Databases",
                                      "Relationships",
                                      "MSysDb",
                                      "MSysObjects",
                                      "MSysACEs",
                                      "MSysQueries",
                                      "MSysRelationships"};
    for (const char* n : kRequired) {
        bool found = std::any_of(m_catalog.begin(), m_catalog.end(), [&](const CatalogRow& r) {
            return r.name == n;
        });
        if (!found)
            report("catalog", std::string("no catalog row for ") + n);
    }
    std::set<std::pair<int32_t, std::string>> names;
    std::set<int32_t> ids;
    for (const CatalogRow& r : m_catalog) {
        if (!names.insert({r.parentId, lowered(r.name)}).second)
            report("catalog", "name \"" + r.name + "\" appears twice under one parent");
        if (!ids.insert(r.id).second)
            report("catalog", "object id " + std::to_string(r.id) + " appears twice");
        if (r.type != jet4::kTypeTable || (uint32_t(r.id) & 0xFF000000u) != 0)
            continue;
        if (r.parentId != jet4::kTablesContainer)
            report("catalog", "table " + r.name + " is not under the Tables container");
        auto t = m_tables.find(uint32_t(r.id));
        if (t == m_tables.end())
            continue;
        // Access's own MSysAccessObjects carries the system flag on a 0x4E table.
        bool system = (uint32_t(r.flags) & kSystemObjectFlags) != 0;
        if ((system && t->second.tableType != 0x53 && r.name.rfind("MSysAccess", 0) != 0) ||
            (!system && t->second.tableType != 0x4E))
            report("catalog", "table " + r.name + " flags and TDEF table type disagree");
    }
    for (uint32_t p = 0; p < m_image.pageCount(); ++p)
        if (m_image.pageType(p) == jet4::kPageTdef && m_claims.count(p) == 0)
            report("catalog",
                   "table definition on page " + std::to_string(p) + " has no catalog row");
}

void Checker::checkAces()
{
    auto aces = std::find_if(m_catalog.begin(), m_catalog.end(), [](const CatalogRow& r) {
        return r.name == "MSysACEs" && r.type == jet4::kTypeTable;
    });
    if (aces == m_catalog.end() || m_tables.count(uint32_t(aces->id)) == 0)
        return; // reported by the catalog check
    const TableDef& t = m_tables[uint32_t(aces->id)];
    const Column* objectId = t.column("ObjectId");
    if (objectId == nullptr) {
        report("ace", "MSysACEs has no ObjectId column");
        return;
    }
    std::map<int32_t, int> perObject;
    for (const Row& r : m_rows[uint32_t(aces->id)])
        if (auto v = asLong(r, objectId))
            ++perObject[*v];
    std::set<int32_t> ids;
    for (const CatalogRow& r : m_catalog)
        ids.insert(r.id);
    for (const auto& [id, n] : perObject)
        if (ids.count(id) == 0)
            report("ace",
                   std::to_string(n) + " ACE rows for object " + std::to_string(id) +
                       ", which is not in the catalog");
    for (const CatalogRow& r : m_catalog) {
        bool userTable = r.type == jet4::kTypeTable &&
                         (uint32_t(r.flags) & kSystemObjectFlags) == 0 &&
                         (uint32_t(r.id) & 0xFF000000u) == 0;
        bool needed = userTable ? m_options.aceRowsForUserTables : r.name == "MSysObjects";
        if (needed && perObject.count(r.id) == 0)
            report("ace", "no MSysACEs row for " + r.name);
    }
}

} // namespace mdbcheck
