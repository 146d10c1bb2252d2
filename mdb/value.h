// The value a caller hands to a field or reads from one. It lives apart from
// the DAO-like face so that the conversions below the face can name it.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace mdb {

// Null, text (UTF-8), 16-bit integer, 32-bit integer or 64-bit floating point.
// The engine converts it to the column's own type as Jet would, or raises an
// Error.
using Value = std::variant<std::monostate, std::string, int16_t, int32_t, double>;

} // namespace mdb
