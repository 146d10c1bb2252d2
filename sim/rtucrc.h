// The Modbus RTU CRC-16 (init 0xFFFF, reflected polynomial 0xA001), shared by
// the simulator's framing and its record content.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

inline uint16_t crc16Update(uint16_t crc, const uint8_t* data, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

inline uint16_t crc16(const uint8_t* data, std::size_t length)
{
    return crc16Update(0xFFFF, data, length);
}

} // namespace sim
