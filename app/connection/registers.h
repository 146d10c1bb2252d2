// The device registers the connection reads (holding registers, function 3).
#pragma once

#include <cstdint>

namespace reg {
inline constexpr uint32_t kIdent = 17008;      // 3 words: version x 100, serial 1, serial 2
inline constexpr uint32_t kOptions = 17011;    // bit 1: data-log option
inline constexpr uint32_t kRelease = 17043;    // firmware release
inline constexpr uint32_t kLogPointer = 17161; // last data-log record written
} // namespace reg
