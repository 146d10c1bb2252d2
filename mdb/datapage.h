// Data pages: a row offset table growing from the header and rows packed
// from the page end downwards.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mdb {

std::vector<uint8_t> emptyDataPage(uint32_t owner);

// An owned page emptied by a clear: one deleted slot of no bytes, the state
// Access leaves a page in when it compacts away its last row. A page with no
// slot at all would make mdbtools read a phantom row from it.
std::vector<uint8_t> clearedDataPage(uint32_t owner);
bool isClearedDataPage(std::span<const uint8_t> page);

uint16_t dataRowCount(std::span<const uint8_t> page);
// Whether a slot holds a row (neither flag bit set).
bool dataHasLiveRow(std::span<const uint8_t> page);
uint16_t dataFreeSpace(std::span<const uint8_t> page);
uint32_t dataOwner(std::span<const uint8_t> page);

struct RowSlot {
    uint16_t start = 0;
    uint16_t end = 0;
    bool deleted = false; // either flag bit: deleted or an overflow pointer
};

// Throws FormatError for a slot whose offsets leave the page.
RowSlot dataRowSlot(std::span<const uint8_t> page, uint16_t row);

// Appends a row; nothing when it does not fit (bytes or 255 slots).
std::optional<uint16_t> dataAddRow(std::span<uint8_t> page, std::span<const uint8_t> row);

// Flags a slot deleted as Access and Jet do (both flag bits); the bytes stay.
void dataMarkDeleted(std::span<uint8_t> page, uint16_t row);

} // namespace mdb
