#include "refcrc.h"

#include <array>

namespace ktest {

uint16_t referenceCrc(const uint8_t* data, std::size_t length)
{
    static const auto table = [] {
        std::array<uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned r = i;
            for (int b = 0; b < 8; ++b) {
                r = (r >> 1) ^ ((r & 1u) * 0xA001u);
            }
            t[i] = static_cast<uint16_t>(r);
        }
        return t;
    }();
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFFu]);
    }
    return crc;
}

Bytes withCrc(Bytes frame)
{
    uint16_t crc = referenceCrc(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFFu));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

} // namespace ktest
