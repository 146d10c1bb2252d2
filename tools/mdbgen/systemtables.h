// Definitions shared by the generator's parts: page numbers of the layout,
// Jet's own tables, and the helpers that turn column lists into table
// definitions, rows and index pages.
#pragma once

#include "mdb/rowcodec.h"
#include "mdb/tabledef.h"

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace mdbgen {

// Page layout: the one the Jet engine uses for a new database, then LOG.
enum LayoutPage : uint32_t {
    kPgHeader = 0,
    kPgGlobalMap = 1,
    kPgObjectsDef = 2,
    kPgAcesDef = 3,
    kPgQueriesDef = 4,
    kPgRelationsDef = 5,
    kPgObjectsMaps = 6,
    kPgObjectsByName = 7,
    kPgObjectsById = 8,
    kPgAcesMaps = 9,
    kPgAcesByObject = 10,
    kPgQueriesMaps = 11,
    kPgQueriesIndex = 12,
    kPgRelationsMaps = 13,
    kPgRelationsIndex = 14, // three pages, one per index
    kPgObjectsRows = 17,
    kPgAcesRows = 18,
    kPgLogDef = 19,
    kPgLogMaps = 20,
    kLayoutPages = 21,
};

// What a column list says of one column; makeColumns derives the rest.
struct ColumnShape {
    std::u16string_view name;
    uint8_t type;
    uint16_t length; // bytes; 0 for long values
    uint8_t flags;
};

// Jet's own tables as a new database holds them, before sortByName: the
// catalog (MSysObjects), permissions (MSysACEs), queries and relationships,
// each with its usage maps and indexes at their place in the layout.
mdb::TableDef catalogDef();
mdb::TableDef acesDef();
mdb::TableDef queriesDef();
mdb::TableDef relationshipsDef();

// A table whose own usage maps (owned pages, free space) are rows 0 and 1
// of `mapsPage`.
mdb::TableDef
tableWithMaps(uint8_t tableType, std::vector<mdb::ColumnDef> columns, uint32_t mapsPage);

// Numbers, var-table indexes and fixed offsets follow the list order.
std::vector<mdb::ColumnDef> makeColumns(std::initializer_list<ColumnShape> shapes,
                                        bool systemTable);

// Jet stores the column and logical index blocks of its own tables by name.
void sortByName(mdb::TableDef& def);

// A row given as (column name, value) pairs; unnamed columns are null.
std::vector<mdb::Cell>
rowOf(const mdb::TableDef& def,
      std::initializer_list<std::pair<std::u16string_view, mdb::Cell>> values);

// Index leaf page (single page: it is also the root) holding `entries`,
// which are sorted here.
std::vector<uint8_t> indexLeafPage(uint32_t owner, std::vector<std::vector<uint8_t>> entries);

// Key encodings of the "General legacy" sort order (ascending, not null).
void appendLongKey(std::vector<uint8_t>& entry, int32_t value);
void appendTextKey(std::vector<uint8_t>& entry, std::u16string_view text);
void appendRowPointer(std::vector<uint8_t>& entry, uint32_t page, uint8_t row);

} // namespace mdbgen
