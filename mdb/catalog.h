// The system catalog (MSysObjects, whose definition is always on page 2):
// finding a table's definition page by its name.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mdb {

class PageStore;

// The TDEF page of the local table called `name` (names compare without
// regard to ASCII case, as Jet's do), or nothing. Throws FormatError when the
// catalog cannot be read.
std::optional<uint32_t> findTable(const PageStore& store, std::u16string_view name);

} // namespace mdb
