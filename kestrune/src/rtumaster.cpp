#include "rtumaster.h"

#include "crc16.h"
#include "kestrune.h"

namespace kestrune {

namespace {

constexpr uint8_t kReadHolding = 0x03;
constexpr uint8_t kWriteSingle = 0x06;
constexpr std::size_t kRequestBytes = 8;

using Request = std::array<uint8_t, kRequestBytes>;

// Address and function, two 16-bit fields high byte first, CRC low byte
// first: the shape of both requests this master builds.
Request buildRequest(uint32_t slave, uint8_t function, uint32_t first, uint32_t second)
{
    Request frame{static_cast<uint8_t>(slave),
                  function,
                  static_cast<uint8_t>(first >> 8),
                  static_cast<uint8_t>(first),
                  static_cast<uint8_t>(second >> 8),
                  static_cast<uint8_t>(second),
                  0,
                  0};
    uint16_t crc = crc16(frame.data(), 6);
    frame[6] = static_cast<uint8_t>(crc);
    frame[7] = static_cast<uint8_t>(crc >> 8);
    return frame;
}

} // namespace

bool crcTrailerMatches(const uint8_t* frame, std::size_t length)
{
    if (length < 2) {
        return false;
    }
    uint16_t crc = crc16(frame, length - 2);
    return frame[length - 2] == static_cast<uint8_t>(crc) &&
           frame[length - 1] == static_cast<uint8_t>(crc >> 8);
}

uint32_t RegisterImage::word(uint32_t index) const
{
    if (index > kMaxWordIndex) {
        return 0;
    }
    return uint32_t{m_bytes[3 + 2 * index]} * 256 + m_bytes[4 + 2 * index];
}

uint32_t RegisterImage::store(uint32_t position, uint32_t value)
{
    if (position < kImageBytes) {
        m_bytes[position] = static_cast<uint8_t>(value);
    }
    return value;
}

void RegisterImage::preset()
{
    for (uint32_t k = 0; k < kPresetRegisters; ++k) {
        m_bytes[3 + 2 * k] = 0;
        m_bytes[4 + 2 * k] = static_cast<uint8_t>(2 * k);
    }
}

uint32_t RtuMaster::readHolding(uint32_t slave, uint32_t firstRegister, uint32_t count)
{
    if (count > kMaxReadCount) {
        return 0;
    }
    m_transport.purgeInput();
    Request request = buildRequest(slave, kReadHolding, firstRegister, count);
    m_image.preset();
    // Only a write that failed outright counts as not written; one cut short
    // by the write time-out still waits for a reply, like any other.
    if (m_transport.write(request.data(), request.size()) < 0) {
        return KESTRUNE_RD_NOT_WRITTEN;
    }
    const std::size_t expected = 2 * std::size_t{count} + 5;
    const std::size_t got = m_transport.read(m_image.data(), expected);
    if (got == expected && crcTrailerMatches(m_image.data(), expected)) {
        return KESTRUNE_RD_OK;
    }
    if (got == 1 || got == 2) {
        return KESTRUNE_RD_RUNT_FLAG | static_cast<uint32_t>(got);
    }
    return static_cast<uint32_t>(got);
}

uint32_t RtuMaster::sendAndCheckEcho(const uint8_t* frame, std::size_t length)
{
    // The write's outcome is not judged on its own: a failed write simply
    // gets no reply.
    m_transport.write(frame, length);
    std::array<uint8_t, kWriteReplyBytes> reply{};
    const std::size_t got = m_transport.read(reply.data(), reply.size());
    return got == reply.size() && crcTrailerMatches(reply.data(), reply.size()) ? 1 : 0;
}

uint32_t RtuMaster::writeSingle(uint32_t slave, uint32_t reg, uint32_t value)
{
    m_transport.purgeInput();
    Request request = buildRequest(slave, kWriteSingle, reg, value);
    return sendAndCheckEcho(request.data(), request.size());
}

uint32_t RtuMaster::writeRaw(uint8_t* buffer, uint32_t length)
{
    if (buffer == nullptr) {
        return 0;
    }
    m_transport.purgeInput();
    uint16_t crc = crc16(buffer, length);
    buffer[length] = static_cast<uint8_t>(crc);
    buffer[std::size_t{length} + 1] = static_cast<uint8_t>(crc >> 8);
    return sendAndCheckEcho(buffer, std::size_t{length} + 2);
}

uint32_t RtuMaster::writeImage(uint32_t length)
{
    if (length > kMaxRawLength) {
        return 0;
    }
    return writeRaw(m_image.data(), length);
}

} // namespace kestrune
