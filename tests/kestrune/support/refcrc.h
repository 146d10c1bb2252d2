// Byte buffers and a CRC-16/MODBUS computed independently of the library's,
// for tests on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ktest {

using Bytes = std::vector<uint8_t>;

// Table-driven, built from the polynomial at start-up: a different route to
// the same CRC-16/MODBUS as the library's bitwise one.
uint16_t referenceCrc(const uint8_t* data, std::size_t length);
Bytes withCrc(Bytes frame);

} // namespace ktest
