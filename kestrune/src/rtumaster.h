// Modbus RTU master: one request and one reply per call, judged by length
// and CRC only, with the last read's reply frame kept in a register image.
#pragma once

#include "transport.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrune {

inline constexpr std::size_t kImageBytes = 300;
// A read of n registers takes 2n + 5 bytes of the image.
inline constexpr uint32_t kMaxReadCount = (kImageBytes - 5) / 2; // 147
inline constexpr uint32_t kMaxWordIndex = (kImageBytes - 5) / 2; // 147
inline constexpr uint32_t kMaxRawLength = kImageBytes - 2;       // 298
inline constexpr uint32_t kPresetRegisters = 50;
inline constexpr std::size_t kWriteReplyBytes = 8;

// The 300-byte buffer that holds a read's whole reply (address, function,
// byte count, registers high byte first, CRC) and stages raw frames.
class RegisterImage {
public:
    // Register k sits at bytes 3 + 2k (high) and 4 + 2k; beyond index 147
    // there is no room, and the answer is 0.
    uint32_t word(uint32_t index) const;
    // Stores the low 8 bits; a position past the image stores nothing.
    uint32_t store(uint32_t position, uint32_t value);
    // Registers 0-49 read 2k until a reply overwrites them, so a caller can
    // tell an untouched register from a received one.
    void preset();

    uint8_t* data() { return m_bytes.data(); }
    const uint8_t* data() const { return m_bytes.data(); }

private:
    std::array<uint8_t, kImageBytes> m_bytes{};
};

class RtuMaster {
public:
    RtuMaster(Transport& transport, RegisterImage& image) : m_transport(transport), m_image(image)
    {
    }

    // Function 3. 1 = full reply with a good CRC; 2 = the write failed;
    // else the bytes that came, with a 1- or 2-byte runt flagged so that it
    // cannot pass for 1 or 2. A count above 147 sends nothing and gives 0.
    uint32_t readHolding(uint32_t slave, uint32_t firstRegister, uint32_t count);
    // Function 6. 1 = an 8-byte reply with a good CRC, else 0.
    uint32_t writeSingle(uint32_t slave, uint32_t reg, uint32_t value);
    // The caller's `length` bytes plus their CRC, written into buffer[length]
    // and buffer[length + 1]; 1 = an 8-byte reply with a good CRC, else 0.
    uint32_t writeRaw(uint8_t* buffer, uint32_t length);
    // writeRaw over the image; a length above 298 sends nothing and gives 0.
    uint32_t writeImage(uint32_t length);

private:
    uint32_t sendAndCheckEcho(const uint8_t* frame, std::size_t length);

    Transport& m_transport;
    RegisterImage& m_image;
};

// True when the `length` bytes end in the CRC of the bytes before them.
bool crcTrailerMatches(const uint8_t* frame, std::size_t length);

} // namespace kestrune
