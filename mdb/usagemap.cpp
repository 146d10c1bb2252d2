#include "mdb/usagemap.h"

#include "mdb/bytes.h"
#include "mdb/pageio.h"

namespace mdb {

using namespace jet4;

UsageMap decodeUsageMap(std::span<const uint8_t> row)
{
    UsageMap map;
    map.type = get8(row, 0);
    if (map.type == kMapInline) {
        map.start = get32(row, 1);
        map.bitmap.assign(row.begin() + 5, row.end());
    } else if (map.type == kMapReference) {
        for (std::size_t at = 1; at + 4 <= row.size(); at += 4)
            map.mapPages.push_back(get32(row, at));
    } else {
        throw FormatError("unknown usage map type");
    }
    return map;
}

std::vector<uint8_t> encodeUsageMap(const UsageMap& map)
{
    if (map.type == kMapInline) {
        std::vector<uint8_t> out(5 + map.bitmap.size(), 0);
        out[0] = map.type;
        put32(out, 1, map.start);
        for (std::size_t i = 0; i < map.bitmap.size(); ++i)
            out[5 + i] = map.bitmap[i];
        return out;
    }
    std::vector<uint8_t> out(1 + 4 * map.mapPages.size(), 0);
    out[0] = map.type;
    for (std::size_t i = 0; i < map.mapPages.size(); ++i)
        put32(out, 1 + 4 * i, map.mapPages[i]);
    return out;
}

UsageMap emptyInlineMap(uint32_t start)
{
    UsageMap map;
    map.start = start;
    map.bitmap.assign(kTableMapRowLength - 5, 0);
    return map;
}

UsageMap emptyReferenceMap()
{
    UsageMap map;
    map.type = kMapReference;
    map.mapPages.assign((kTableMapRowLength - 1) / 4, 0);
    return map;
}

std::vector<uint32_t> mapPages(const UsageMap& map, const PageStore& store)
{
    std::vector<uint32_t> pages;
    auto collect = [&pages](std::span<const uint8_t> bits, uint64_t base) {
        for (std::size_t i = 0; i < bits.size(); ++i) {
            if (bits[i] == 0)
                continue;
            for (int b = 0; b < 8; ++b) {
                uint64_t page = base + i * 8 + static_cast<unsigned>(b);
                if ((bits[i] >> b) & 1 && page <= UINT32_MAX)
                    pages.push_back(static_cast<uint32_t>(page));
            }
        }
    };
    if (map.type == kMapInline) {
        collect(map.bitmap, map.start);
        return pages;
    }
    std::vector<uint8_t> buf(kPageSize);
    for (std::size_t i = 0; i < map.mapPages.size(); ++i) {
        if (map.mapPages[i] == 0)
            continue;
        store.readPage(map.mapPages[i], buf);
        if (buf[0] != kPageUsageMap)
            throw FormatError("usage map reference to a page that is not a map page");
        collect(std::span<const uint8_t>(buf).subspan(kMapPageBitmapStart),
                static_cast<uint64_t>(i) * kPagesPerMapPage);
    }
    return pages;
}

bool inlineCovers(const UsageMap& map, uint32_t page)
{
    return page >= map.start && (page - map.start) / 8 < map.bitmap.size();
}

void inlineSet(UsageMap& map, uint32_t page, bool member)
{
    if (!inlineCovers(map, page))
        throw FormatError("page outside the inline map window");
    uint32_t bit = page - map.start;
    auto mask = static_cast<uint8_t>(1u << (bit % 8));
    if (member)
        map.bitmap[bit / 8] |= mask;
    else
        map.bitmap[bit / 8] &= static_cast<uint8_t>(~mask);
}

std::vector<uint8_t> emptyMapPage()
{
    std::vector<uint8_t> page(kPageSize, 0);
    page[0] = kPageUsageMap;
    page[kPageSignature] = kPageSignatureValue;
    return page;
}

void mapPageSet(std::span<uint8_t> mapPage, uint32_t bit, bool member)
{
    std::size_t at = kMapPageBitmapStart + bit / 8;
    auto mask = static_cast<uint8_t>(1u << (bit % 8));
    put8(mapPage, at, member ? (get8(mapPage, at) | mask) : (get8(mapPage, at) & ~mask));
}

UsageMap globalMapFor(uint32_t pageCount, std::size_t rowLength)
{
    if (rowLength < 5)
        throw FormatError("usage map row too short");
    UsageMap map;
    std::size_t window = (rowLength - 5) * 8;
    if (pageCount > window) {
        map.type = kMapReference;
        map.mapPages.assign((rowLength - 1) / 4, 0);
        return map;
    }
    map.bitmap.assign(rowLength - 5, 0);
    for (std::size_t bit = pageCount; bit < window; ++bit)
        map.bitmap[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    return map;
}

} // namespace mdb
