#include "mdb/datapage.h"

#include "mdb/bytes.h"
#include "mdb/format.h"

#include <algorithm>

namespace mdb {

using namespace jet4;

std::vector<uint8_t> emptyDataPage(uint32_t owner)
{
    std::vector<uint8_t> page(kPageSize, 0);
    put8(page, 0, kPageData);
    put8(page, kPageSignature, kPageSignatureValue);
    put16(page, kDataFreeSpace, static_cast<uint16_t>(kEmptyDataPageFree));
    put32(page, kDataOwner, owner);
    return page;
}

std::vector<uint8_t> clearedDataPage(uint32_t owner)
{
    std::vector<uint8_t> page = emptyDataPage(owner);
    put16(page, kDataRowCount, 1);
    put16(page, kDataRowTable, static_cast<uint16_t>(kPageSize | kRowDeleted | kRowLookup));
    put16(page, kDataFreeSpace, static_cast<uint16_t>(kEmptyDataPageFree - 2));
    return page;
}

bool isClearedDataPage(std::span<const uint8_t> page)
{
    return dataRowCount(page) == 1 &&
           get16(page, kDataRowTable) == (kPageSize | kRowDeleted | kRowLookup) &&
           dataFreeSpace(page) == kEmptyDataPageFree - 2;
}

uint16_t dataRowCount(std::span<const uint8_t> page)
{
    return get16(page, kDataRowCount);
}

bool dataHasLiveRow(std::span<const uint8_t> page)
{
    for (uint16_t r = 0; r < dataRowCount(page); ++r)
        if (!dataRowSlot(page, r).deleted)
            return true;
    return false;
}

uint16_t dataFreeSpace(std::span<const uint8_t> page)
{
    return get16(page, kDataFreeSpace);
}
uint32_t dataOwner(std::span<const uint8_t> page)
{
    return get32(page, kDataOwner);
}

RowSlot dataRowSlot(std::span<const uint8_t> page, uint16_t row)
{
    uint16_t count = dataRowCount(page);
    if (row >= count || count > kMaxRowsPerPage)
        throw FormatError("row number beyond the page's row table");
    auto offsetOf = [&page](uint16_t r) { return get16(page, kDataRowTable + 2u * r); };
    uint16_t raw = offsetOf(row);
    RowSlot slot;
    slot.deleted = (raw & (kRowDeleted | kRowLookup)) != 0;
    slot.start = raw & kRowOffsetMask;
    slot.end = row == 0 ? static_cast<uint16_t>(kPageSize) : (offsetOf(row - 1) & kRowOffsetMask);
    // Deleted rows that Access compacted away have no bytes at all.
    if (slot.end < slot.start && slot.deleted)
        slot.end = slot.start;
    if (slot.start < kDataRowTable + 2u * count || slot.end < slot.start || slot.end > kPageSize)
        throw FormatError("row offsets outside the page");
    return slot;
}

std::optional<uint16_t> dataAddRow(std::span<uint8_t> page, std::span<const uint8_t> row)
{
    uint16_t count = dataRowCount(page);
    uint16_t free = dataFreeSpace(page);
    if (count >= kMaxRowsPerPage || row.size() + 2 > free)
        return std::nullopt;
    uint16_t end = count == 0 ? static_cast<uint16_t>(kPageSize)
                              : (get16(page, kDataRowTable + 2u * (count - 1)) & kRowOffsetMask);
    auto start = static_cast<uint16_t>(end - row.size());
    if (start < kDataRowTable + 2u * (count + 1))
        return std::nullopt;
    std::copy(row.begin(), row.end(), page.begin() + start);
    put16(page, kDataRowTable + 2u * count, start);
    put16(page, kDataRowCount, static_cast<uint16_t>(count + 1));
    put16(page, kDataFreeSpace, static_cast<uint16_t>(free - row.size() - 2));
    return count;
}

void dataMarkDeleted(std::span<uint8_t> page, uint16_t row)
{
    std::size_t at = kDataRowTable + 2u * row;
    put16(page, at, get16(page, at) | kRowDeleted | kRowLookup);
}

} // namespace mdb
