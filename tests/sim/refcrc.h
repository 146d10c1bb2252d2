// A second, deliberately plain CRC-16/MODBUS for checking the simulator's
// own: one bit at a time, straight from the polynomial.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace simtest {

inline uint16_t refCrc16(const std::vector<uint8_t>& bytes)
{
    uint16_t crc = 0xFFFF;
    for (uint8_t b : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ (b >> bit)) & 1) != 0;
            crc = static_cast<uint16_t>(crc >> 1);
            if (mix)
                crc ^= 0xA001;
        }
    }
    return crc;
}

// The CRC a record carries: words fed low byte first.
template <class Words> uint16_t refRecordCrc(const Words& words, std::size_t count)
{
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(words[i] & 0xFF));
        bytes.push_back(static_cast<uint8_t>(words[i] >> 8));
    }
    return refCrc16(bytes);
}

} // namespace simtest
