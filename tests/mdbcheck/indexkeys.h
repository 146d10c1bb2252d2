// Index entries as Jet 4 stores them in a leaf page, built from decoded row
// values, so the checker can compare what an index holds with what it should.
#pragma once

#include "jetimage.h"

#include <optional>
#include <string>

namespace mdbcheck {

// Sort code of a text under the "General legacy" order (0x0409, version 0),
// or nullopt for characters beyond letters, digits and space, whose codes the
// checker does not know.
std::optional<Bytes> generalLegacyTextKey(const std::string& utf8);

// The full leaf entry (key columns, then the big-endian page and the row) for
// one row, or nullopt when a key column's type is not one the checker encodes.
std::optional<Bytes> indexEntry(const TableDef& t, const RealIndex& index, const Row& row);

struct LeafEntries {
    std::vector<Bytes> entries; // prefix restored
    size_t storedBytes = 0;
};

// Reads the entries of a leaf page through its entry-end bitmap.
LeafEntries readLeaf(std::span<const uint8_t> page);

} // namespace mdbcheck
