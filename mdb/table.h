// One user table of an open database: its live rows, appending and deleting
// rows, and keeping the table's usage maps, the global map and the stored row
// count in step. Every change is written through before the call returns,
// in an order that leaves a readable file wherever a process is killed:
// data page, global map, owned map, free-space map, row count.
#pragma once

#include "mdb/rowcodec.h"
#include "mdb/tabledef.h"
#include "mdb/usagemap.h"

#include <cstdint>
#include <map>
#include <span>
#include <string_view>
#include <vector>

namespace mdb {

class PageStore;

struct RowId {
    uint32_t page = 0;
    uint16_t row = 0;
    bool operator==(const RowId&) const = default;
};

class Table {
public:
    // Reads the definition on `tdefPage` and every data page the table owns.
    // A stored row count that disagrees with the live rows is corrected
    // (on disk too unless the store is read-only). Throws FormatError.
    Table(PageStore& store, uint32_t tdefPage);

    const TableDef& def() const { return m_def; }
    uint32_t tdefPage() const { return m_tdefPage; }
    // Live rows in storage order, as found when the table was opened.
    const std::vector<RowId>& initialRows() const { return m_initialRows; }
    std::size_t liveRowCount() const { return m_liveCount; }

    std::vector<Cell> read(RowId id) const;
    RowId append(std::span<const Cell> values);
    // Flags the row deleted. Deleting the last live row empties every owned
    // page and queues them for reuse, so clearing and refilling the table does
    // not grow the file. Appends also reuse owned pages left holding only
    // deleted rows, by a clear that was stopped before it emptied them.
    void remove(RowId id);

    // Owned data pages in ascending order (for tests and checks).
    std::vector<uint32_t> ownedPages() const;

private:
    std::vector<uint8_t>& cachedPage(uint32_t page);
    std::vector<uint8_t> readMapRow(uint32_t pointer) const;
    void writeMapRow(uint32_t pointer, const UsageMap& map);
    void writeGlobalMap();
    void addOwnedPage(uint32_t page);
    void setFreeMap(uint32_t page);
    void writeRowCount(uint32_t count);
    void resetPages();
    uint32_t pageForRow(std::size_t rowBytes);

    PageStore& m_store;
    uint32_t m_tdefPage;
    std::vector<uint8_t> m_tdefBytes;
    TableDef m_def;
    UsageMap m_ownedMap;
    std::map<uint32_t, std::vector<uint8_t>> m_pages; // the owned data pages
    std::vector<RowId> m_initialRows;
    std::size_t m_liveCount = 0;
    uint32_t m_cursor = 0; // page that takes the next row, 0 = none yet
};

} // namespace mdb
