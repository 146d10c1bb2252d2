#include "rtuslave.h"

#include "rtucrc.h"

#include <algorithm>

namespace sim {
namespace {

constexpr int kMaxReadCount = 125;     // Modbus limit for function 3
constexpr std::size_t kMaxFrame = 256; // Modbus RTU ADU limit

bool crcCloses(const uint8_t* frame, std::size_t length)
{
    if (length < 4)
        return false;
    const uint16_t crc = crc16(frame, length - 2);
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

uint16_t word(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

struct Block {
    uint16_t start;
    uint16_t size;
};

constexpr Block kReadBlocks[] = {{kRegIdent, 3},
                                 {kRegOptions, 1},
                                 {kRegRelease, 1},
                                 {kRegLogPointer, 1},
                                 {kRegResetPointer, 1},
                                 {kRegLogWindow, 41},
                                 {kRegResetWindow, 26}};

// The block a read falls in, or nullptr. A read may start inside a block
// and ask for fewer words than it holds, never run past its end.
const Block* findBlock(uint16_t reg, uint16_t count)
{
    for (const Block& b : kReadBlocks) {
        if (reg >= b.start && reg + count <= b.start + b.size)
            return &b;
    }
    return nullptr;
}

// The words of one block as the device presents them now.
std::vector<uint16_t> blockWords(const Block& b, const DeviceState& s, int* servedRecord)
{
    switch (b.start) {
    case kRegIdent:
        return {s.firmware, s.serial1, s.serial2};
    case kRegOptions:
        return {s.options};
    case kRegRelease:
        return {s.release};
    case kRegLogPointer:
        return {s.logPointer};
    case kRegResetPointer:
        return {s.resetPointer};
    case kRegLogWindow: {
        // The select register holds the record number minus one.
        const int n = (s.logSelect + 1) & 0xFFFF;
        *servedRecord = n;
        const DataRecord r =
            static_cast<std::size_t>(n) < s.records.size() ? s.records[n] : erasedRecord();
        return {r.begin(), r.end()};
    }
    default: {
        const ResetEntry& e = s.resetLog[s.resetSelect % kResetSlots];
        return {e.begin(), e.end()};
    }
    }
}

Answer readRegisters(const Request& q, const DeviceState& s)
{
    Answer a;
    if (q.countOrValue == 0 || q.countOrValue > kMaxReadCount) {
        a.frame = exceptionFrame(q.slave, q.function, kExIllegalValue);
        return a;
    }
    const Block* b = findBlock(q.reg, q.countOrValue);
    if (b == nullptr) {
        a.frame = exceptionFrame(q.slave, q.function, kExIllegalAddress);
        return a;
    }
    const std::vector<uint16_t> words = blockWords(*b, s, &a.servedRecord);
    const std::size_t first = q.reg - b->start;
    a.frame = {q.slave, q.function, static_cast<uint8_t>(2 * q.countOrValue)};
    for (std::size_t i = first; i < first + q.countOrValue; ++i) {
        a.frame.push_back(static_cast<uint8_t>(words[i] >> 8));
        a.frame.push_back(static_cast<uint8_t>(words[i] & 0xFF));
    }
    appendCrc(a.frame);
    return a;
}

Answer writeRegister(const Request& q, DeviceState& s)
{
    Answer a;
    if (q.reg == kRegLogSelect) {
        s.logSelect = q.countOrValue;
    } else if (q.reg == kRegResetSelect) {
        if (q.countOrValue >= kResetSlots) {
            a.frame = exceptionFrame(q.slave, q.function, kExIllegalValue);
            return a;
        }
        s.resetSelect = q.countOrValue;
    } else {
        a.frame = exceptionFrame(q.slave, q.function, kExIllegalAddress);
        return a;
    }
    // The standard reply to function 6 is the request itself.
    a.frame = {q.slave,
               q.function,
               static_cast<uint8_t>(q.reg >> 8),
               static_cast<uint8_t>(q.reg & 0xFF),
               static_cast<uint8_t>(q.countOrValue >> 8),
               static_cast<uint8_t>(q.countOrValue & 0xFF)};
    appendCrc(a.frame);
    return a;
}

} // namespace

void appendCrc(std::vector<uint8_t>& frame)
{
    const uint16_t crc = crc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF)); // low byte first on the wire
    frame.push_back(static_cast<uint8_t>(crc >> 8));
}

std::vector<uint8_t> exceptionFrame(uint8_t slave, uint8_t function, uint8_t code)
{
    std::vector<uint8_t> f = {slave, static_cast<uint8_t>(function | 0x80), code};
    appendCrc(f);
    return f;
}

void FrameAssembler::feed(const uint8_t* data, std::size_t length)
{
    m_buffer.insert(m_buffer.end(), data, data + length);
}

int FrameAssembler::expectedLength() const
{
    if (m_buffer.size() < 2)
        return 0;
    switch (m_buffer[1]) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        return 8;
    case 15:
    case 16:
        // address, function, start, quantity, byte count, data, CRC
        return m_buffer.size() < 7 ? 0 : 9 + m_buffer[6];
    default:
        return -1;
    }
}

std::optional<Request> FrameAssembler::take(std::size_t length)
{
    Request q;
    q.slave = m_buffer[0];
    q.function = m_buffer[1];
    if (length >= 6) {
        q.reg = word(&m_buffer[2]);
        q.countOrValue = word(&m_buffer[4]);
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
    if (q.slave != m_slave && q.slave != kBroadcast)
        return std::nullopt;
    return q;
}

std::optional<Request> FrameAssembler::next()
{
    for (;;) {
        const int length = expectedLength();
        // An unknown function ends only where the line falls quiet; a
        // stream longer than any frame cannot be one.
        if (length == -1 && m_buffer.size() > kMaxFrame) {
            m_buffer.erase(m_buffer.begin());
            continue;
        }
        if (length <= 0 || m_buffer.size() < static_cast<std::size_t>(length))
            return std::nullopt;
        if (!crcCloses(m_buffer.data(), static_cast<std::size_t>(length))) {
            m_buffer.erase(m_buffer.begin());
            continue;
        }
        if (auto q = take(static_cast<std::size_t>(length)))
            return q;
    }
}

std::optional<Request> FrameAssembler::quiet()
{
    while (!m_buffer.empty()) {
        if (auto q = next())
            return q;
        if (expectedLength() == -1 && crcCloses(m_buffer.data(), m_buffer.size())) {
            if (auto q = take(m_buffer.size()))
                return q;
            continue;
        }
        if (!m_buffer.empty())
            m_buffer.erase(m_buffer.begin());
    }
    return std::nullopt;
}

Answer answer(const Request& request, DeviceState& state)
{
    Answer a;
    switch (request.function) {
    case 3:
        a = readRegisters(request, state);
        break;
    case 6:
        a = writeRegister(request, state);
        break;
    default:
        a.frame = exceptionFrame(request.slave, request.function, kExIllegalFunction);
        break;
    }
    // A broadcast is carried out but never answered.
    if (request.slave == kBroadcast)
        a.frame.clear();
    return a;
}

} // namespace sim
