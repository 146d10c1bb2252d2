// Modbus CRC-16 (poly 0xA001 reflected, init 0xFFFF, no final xor), worked
// bit by bit: frames are short and a table would only cost cache.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

inline constexpr uint32_t kCrcInit = 0xFFFF;

// Feeds the low 8 bits of `byte` into a running CRC.
uint32_t crcFeedByte(uint32_t crc, uint32_t byte);
// The CRC of a buffer; sent low byte first after the data.
uint16_t crc16(const uint8_t* data, std::size_t length);
// The running CRC after the word's low byte and then its high part. The high
// part is the whole `word >> 8`, not masked, as the program's record checks
// have always had it; for 16-bit words this is the CRC of the two bytes.
uint32_t crcStepWord(uint32_t crc, uint32_t word);

} // namespace kestrune
