#include "mdb/table.h"

#include "mdb/bytes.h"
#include "mdb/datapage.h"
#include "mdb/errors.h"
#include "mdb/pageio.h"

#include <algorithm>

namespace mdb {

using namespace jet4;

Table::Table(PageStore& store, uint32_t tdefPage)
    : m_store(store), m_tdefPage(tdefPage), m_tdefBytes(kPageSize)
{
    m_store.readPage(tdefPage, m_tdefBytes);
    m_def = decodeTableDef(m_tdefBytes);
    m_ownedMap = decodeUsageMap(readMapRow(m_def.ownedMap));
    for (uint32_t p : mapPages(m_ownedMap, m_store)) {
        std::vector<uint8_t> page(kPageSize);
        m_store.readPage(p, page);
        if (page[0] != kPageData || dataOwner(page) != tdefPage)
            throw FormatError("owned page " + std::to_string(p) +
                              " is not a data page of the table");
        for (uint16_t r = 0; r < dataRowCount(page); ++r) {
            RowSlot slot = dataRowSlot(page, r);
            if (!slot.deleted)
                m_initialRows.push_back({p, r});
        }
        if (dataHasLiveRow(page) || m_cursor == 0)
            m_cursor = p;
        m_pages.emplace(p, std::move(page));
    }
    m_liveCount = m_initialRows.size();
    if (m_def.rowCount != m_liveCount && !m_store.readOnly())
        writeRowCount(static_cast<uint32_t>(m_liveCount));
    m_def.rowCount = static_cast<uint32_t>(m_liveCount);
}

std::vector<uint32_t> Table::ownedPages() const
{
    std::vector<uint32_t> pages;
    for (const auto& entry : m_pages)
        pages.push_back(entry.first);
    return pages;
}

std::vector<uint8_t>& Table::cachedPage(uint32_t page)
{
    auto it = m_pages.find(page);
    if (it == m_pages.end())
        throw FormatError("row on a page the table does not own");
    return it->second;
}

std::vector<Cell> Table::read(RowId id) const
{
    auto it = m_pages.find(id.page);
    if (it == m_pages.end())
        throw FormatError("row on a page the table does not own");
    if (id.row >= dataRowCount(it->second))
        throw jetError(kErrRecordDeleted);
    RowSlot slot = dataRowSlot(it->second, id.row);
    if (slot.deleted)
        throw jetError(kErrRecordDeleted);
    return decodeRow(
        m_def,
        std::span<const uint8_t>(it->second).subspan(slot.start, slot.end - slot.start));
}

std::vector<uint8_t> Table::readMapRow(uint32_t pointer) const
{
    std::vector<uint8_t> page(kPageSize);
    m_store.readPage(pointerPage(pointer), page);
    if (page[0] != kPageData)
        throw FormatError("usage map row on a page that is not a data page");
    RowSlot slot = dataRowSlot(page, pointerRow(pointer));
    return {page.begin() + slot.start, page.begin() + slot.end};
}

void Table::writeMapRow(uint32_t pointer, const UsageMap& map)
{
    std::vector<uint8_t> page(kPageSize);
    m_store.readPage(pointerPage(pointer), page);
    RowSlot slot = dataRowSlot(page, pointerRow(pointer));
    std::vector<uint8_t> bytes = encodeUsageMap(map);
    // A reference map of a row whose length is not 1 + 4n leaves a tail,
    // which stays zero; the row itself never changes length.
    if (bytes.size() > static_cast<std::size_t>(slot.end - slot.start))
        throw FormatError("usage map row changed length");
    bytes.resize(static_cast<std::size_t>(slot.end - slot.start), 0);
    std::copy(bytes.begin(), bytes.end(), page.begin() + slot.start);
    m_store.writePage(pointerPage(pointer), page);
}

void Table::writeGlobalMap()
{
    uint32_t pointer = rowPointer(kGlobalMapPage, 0);
    std::vector<uint8_t> row = readMapRow(pointer);
    UsageMap global = decodeUsageMap(row);
    // A reference-kind global map (ours once the file outgrew the inline
    // window, or Access's) records no page we allocate as free: pages are
    // never freed, so it stays right as it is.
    if (global.type != kMapInline)
        return;
    writeMapRow(pointer, globalMapFor(m_store.pageCount(), row.size()));
}

void Table::addOwnedPage(uint32_t page)
{
    if (m_ownedMap.type == kMapInline) {
        if (!inlineCovers(m_ownedMap, page))
            throw jetError(kErrDiskFull);
        inlineSet(m_ownedMap, page, true);
        writeMapRow(m_def.ownedMap, m_ownedMap);
        return;
    }
    std::size_t slot = page / kPagesPerMapPage;
    if (slot >= m_ownedMap.mapPages.size())
        throw jetError(kErrDiskFull);
    std::vector<uint8_t> mapPage(kPageSize);
    if (m_ownedMap.mapPages[slot] == 0) {
        mapPage = emptyMapPage();
        uint32_t at = m_store.pageCount();
        mapPageSet(mapPage, static_cast<uint32_t>(page % kPagesPerMapPage), true);
        m_store.writePage(at, mapPage);
        writeGlobalMap();
        m_ownedMap.mapPages[slot] = at;
        writeMapRow(m_def.ownedMap, m_ownedMap);
        return;
    }
    m_store.readPage(m_ownedMap.mapPages[slot], mapPage);
    if (mapPage[0] != kPageUsageMap)
        throw FormatError("owned map points at a page that is not a map page");
    mapPageSet(mapPage, static_cast<uint32_t>(page % kPagesPerMapPage), true);
    m_store.writePage(m_ownedMap.mapPages[slot], mapPage);
}

void Table::setFreeMap(uint32_t page)
{
    UsageMap free = decodeUsageMap(readMapRow(m_def.freeMap));
    if (free.type != kMapInline)
        return; // only a hint for Jet; a reference map is left as it is
    // Start at page 0 while the window reaches the page, as Jackcess does.
    UsageMap next = emptyInlineMap(0);
    next.bitmap.assign(free.bitmap.size(), 0);
    if (!inlineCovers(next, page))
        next.start = page & ~7u;
    inlineSet(next, page, true);
    if (next != free)
        writeMapRow(m_def.freeMap, next);
}

void Table::writeRowCount(uint32_t count)
{
    put32(m_tdefBytes, kTdefRowCount, count);
    m_store.writePage(m_tdefPage, m_tdefBytes);
    m_def.rowCount = count;
}

uint32_t Table::pageForRow(std::size_t rowBytes)
{
    if (m_cursor == 0)
        return 0;
    const std::vector<uint8_t>& current = cachedPage(m_cursor);
    if (dataRowCount(current) < kMaxRowsPerPage && rowBytes + 2 <= dataFreeSpace(current))
        return m_cursor;
    // Pages holding no live row are reused in order before the file grows:
    // those a clear emptied, and those still full of deleted rows because a
    // kill or a failed write stopped the clear before it emptied them.
    for (auto it = m_pages.lower_bound(m_cursor); it != m_pages.end(); ++it)
        if (!dataHasLiveRow(it->second))
            return it->first;
    return 0;
}

RowId Table::append(std::span<const Cell> values)
{
    std::vector<uint8_t> row = encodeRow(m_def, values);
    uint32_t target = pageForRow(row.size());
    if (target != 0) {
        std::vector<uint8_t> page = cachedPage(target);
        // A page of deleted rows starts over as a clear leaves it, so that
        // the file reads the same as after a clear that was not stopped.
        if (!isClearedDataPage(page) && !dataHasLiveRow(page))
            page = clearedDataPage(m_tdefPage);
        auto slot = dataAddRow(page, row);
        if (!slot)
            throw FormatError("row does not fit an empty page");
        m_store.writePage(target, page);
        cachedPage(target) = std::move(page);
        if (target != m_cursor) {
            m_cursor = target;
            setFreeMap(target);
        }
        writeRowCount(m_def.rowCount + 1);
        ++m_liveCount;
        return {target, *slot};
    }
    uint32_t fresh = m_store.pageCount();
    std::vector<uint8_t> page = emptyDataPage(m_tdefPage);
    auto slot = dataAddRow(page, row);
    if (!slot)
        throw FormatError("row does not fit an empty page");
    m_store.writePage(fresh, page);
    writeGlobalMap();
    addOwnedPage(fresh);
    // Only a page the owned map lists may take rows: one whose listing
    // failed (a full disk) stays an unused page that nothing reads.
    m_pages.emplace(fresh, std::move(page));
    m_cursor = fresh;
    setFreeMap(fresh);
    writeRowCount(m_def.rowCount + 1);
    ++m_liveCount;
    return {fresh, *slot};
}

void Table::remove(RowId id)
{
    std::vector<uint8_t> page = cachedPage(id.page);
    // A row of a page emptied by a clear is as gone as a flagged one.
    if (id.row >= dataRowCount(page) || dataRowSlot(page, id.row).deleted)
        throw jetError(kErrRecordDeleted);
    dataMarkDeleted(page, id.row);
    m_store.writePage(id.page, page);
    cachedPage(id.page) = std::move(page);
    --m_liveCount;
    writeRowCount(m_def.rowCount > 0 ? m_def.rowCount - 1 : 0);
    if (m_liveCount == 0)
        resetPages();
}

void Table::resetPages()
{
    for (auto& [number, page] : m_pages) {
        if (isClearedDataPage(page))
            continue;
        std::vector<uint8_t> cleared = clearedDataPage(m_tdefPage);
        m_store.writePage(number, cleared);
        page = std::move(cleared);
    }
    if (!m_pages.empty()) {
        m_cursor = m_pages.begin()->first;
        setFreeMap(m_cursor);
    }
}

} // namespace mdb
