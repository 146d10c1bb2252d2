// Usage maps: sets of page numbers stored as a row, either inline (a start
// page and a bitmap) or by reference (pointers to 0x05 bitmap pages).
#pragma once

#include "mdb/format.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mdb {

class PageStore;

struct UsageMap {
    uint8_t type = jet4::kMapInline;
    uint32_t start = 0;             // inline: page of bit 0
    std::vector<uint8_t> bitmap;    // inline
    std::vector<uint32_t> mapPages; // reference: one 0x05 page (or 0) per range

    bool operator==(const UsageMap&) const = default;
};

UsageMap decodeUsageMap(std::span<const uint8_t> row);
std::vector<uint8_t> encodeUsageMap(const UsageMap& map);

// Empty maps of the row length every table map has.
UsageMap emptyInlineMap(uint32_t start = 0);
UsageMap emptyReferenceMap();

// The member pages in ascending order. Reference maps read their bitmap pages.
std::vector<uint32_t> mapPages(const UsageMap& map, const PageStore& store);

// Inline maps only: whether the page fits the window, and setting its bit.
bool inlineCovers(const UsageMap& map, uint32_t page);
void inlineSet(UsageMap& map, uint32_t page, bool member);

// Bitmap page (type 0x05) helpers.
std::vector<uint8_t> emptyMapPage();
void mapPageSet(std::span<uint8_t> mapPage, uint32_t bit, bool member);

// The global map on page 1 (a set bit means "free") for a file of
// `pageCount` pages that never frees pages, in a row of `rowLength` bytes.
// While the file fits the inline window from page 0, every page below the
// count is clear and every page past it set, as Jet writes it. A longer file
// gets the reference kind with no bitmap pages, which records no free page
// at all: what Access writes for a large file (see docs/jet4-notes.md).
UsageMap globalMapFor(uint32_t pageCount, std::size_t rowLength);

} // namespace mdb
