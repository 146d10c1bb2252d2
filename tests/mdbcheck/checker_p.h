// Internals of the structural checker, shared by its source files.
#pragma once

#include "checker.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace mdbcheck {

// Catalog Flags bits that mark system objects.
constexpr uint32_t kSystemObjectFlags = 0x80000002u;

struct CatalogRow {
    int32_t id = 0;
    int32_t parentId = 0;
    std::string name;
    int16_t type = 0;
    int32_t flags = 0;
};

class Checker {
public:
    Checker(const Image& image, const CheckOptions& options) : m_image(image), m_options(options) {}
    std::vector<Finding> run();

private:
    void report(const std::string& check, const std::string& text, bool fatal = true);
    void claim(uint32_t page, const std::string& role);

    // page 0 and the global usage map
    void checkHeader();
    void checkGlobalMap();
    void checkOwnership();

    // tables, their maps, pages and rows
    void checkTable(uint32_t tdefPage, const std::string& name, bool userTable);
    void checkTdefFields(const TableDef& t, const std::string& name);
    void checkColumns(const TableDef& t, const std::string& name, bool userTable);
    std::optional<UsageMap> tableMap(uint32_t pointer, const std::string& what);
    void checkDataPage(uint32_t page);
    std::vector<Row> checkRows(const TableDef& t, const UsageMap& owned, const std::string& name);
    void checkIndex(const TableDef& t,
                    size_t number,
                    const std::vector<Row>& rows,
                    const std::string& name);

    // catalog and permissions
    void loadCatalog();
    void checkCatalog();
    void checkAces();

    const Image& m_image;
    CheckOptions m_options;
    std::vector<Finding> m_findings;
    std::map<uint32_t, std::vector<std::string>> m_claims;
    std::set<uint32_t> m_mapRowPages;
    std::set<uint32_t> m_checkedDataPages;
    std::vector<CatalogRow> m_catalog;
    std::map<uint32_t, TableDef> m_tables;
    std::map<uint32_t, std::vector<Row>> m_rows;
};

} // namespace mdbcheck
