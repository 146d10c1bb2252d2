#include "crc16.h"

namespace kestrune {

namespace {

constexpr uint32_t kCrcPoly = 0xA001;

uint32_t shiftEight(uint32_t crc)
{
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 1u) != 0 ? (crc >> 1) ^ kCrcPoly : crc >> 1;
    }
    return crc;
}

} // namespace

uint32_t crcFeedByte(uint32_t crc, uint32_t byte)
{
    return shiftEight(crc ^ (byte & 0xFFu));
}

uint16_t crc16(const uint8_t* data, std::size_t length)
{
    uint32_t crc = kCrcInit;
    for (std::size_t i = 0; i < length; ++i) {
        crc = crcFeedByte(crc, data[i]);
    }
    return static_cast<uint16_t>(crc);
}

uint32_t crcStepWord(uint32_t crc, uint32_t word)
{
    crc = shiftEight(crc ^ (word & 0xFFu));
    return shiftEight(crc ^ (word >> 8));
}

} // namespace kestrune
