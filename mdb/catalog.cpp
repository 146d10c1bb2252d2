#include "mdb/catalog.h"

#include "mdb/bytes.h"
#include "mdb/datapage.h"
#include "mdb/pageio.h"
#include "mdb/rowcodec.h"
#include "mdb/usagemap.h"

#include <algorithm>

namespace mdb {

using namespace jet4;

std::optional<uint32_t> findTable(const PageStore& store, std::u16string_view name)
{
    std::vector<uint8_t> page(kPageSize);
    store.readPage(kCatalogTdefPage, page);
    TableDef catalog = decodeTableDef(page);
    int idCol = catalog.find(u"Id");
    int parentCol = catalog.find(u"ParentId");
    int nameCol = catalog.find(u"Name");
    int typeCol = catalog.find(u"Type");
    if (idCol < 0 || parentCol < 0 || nameCol < 0 || typeCol < 0)
        throw FormatError("catalog lacks its key columns");

    store.readPage(pointerPage(catalog.ownedMap), page);
    UsageMap owned = decodeUsageMap([&] {
        RowSlot s = dataRowSlot(page, pointerRow(catalog.ownedMap));
        return std::vector<uint8_t>(page.begin() + s.start, page.begin() + s.end);
    }());
    for (uint32_t p : mapPages(owned, store)) {
        store.readPage(p, page);
        if (page[0] != kPageData || dataOwner(page) != kCatalogTdefPage)
            throw FormatError("catalog page has the wrong type or owner");
        for (uint16_t r = 0; r < dataRowCount(page); ++r) {
            RowSlot s = dataRowSlot(page, r);
            if (s.deleted)
                continue;
            auto cells =
                decodeRow(catalog,
                          std::span<const uint8_t>(page).subspan(s.start, s.end - s.start));
            const auto* rowName =
                std::get_if<std::u16string>(&cells[static_cast<std::size_t>(nameCol)]);
            const auto* type = std::get_if<int64_t>(&cells[static_cast<std::size_t>(typeCol)]);
            const auto* parent = std::get_if<int64_t>(&cells[static_cast<std::size_t>(parentCol)]);
            const auto* id = std::get_if<int64_t>(&cells[static_cast<std::size_t>(idCol)]);
            if (rowName == nullptr || type == nullptr || parent == nullptr || id == nullptr)
                continue;
            if (*parent == kTablesContainerId && (*type & 0x7FFF) == kObjectTypeTable &&
                sameName(*rowName, name))
                return static_cast<uint32_t>(*id & 0x00FFFFFF);
        }
    }
    return std::nullopt;
}

} // namespace mdb
