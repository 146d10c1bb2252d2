// The device's side of Modbus RTU: cutting the byte stream into requests and
// answering them from a DeviceState. No I/O here, so the framing rules can be
// driven byte by byte.
#pragma once

#include "simulator.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

inline constexpr uint8_t kBroadcast = 0;
inline constexpr uint8_t kExIllegalFunction = 1;
inline constexpr uint8_t kExIllegalAddress = 2;
inline constexpr uint8_t kExIllegalValue = 3;

struct Request {
    uint8_t slave = 0;
    uint8_t function = 0;
    uint16_t reg = 0;          // bytes 2-3 of the frame
    uint16_t countOrValue = 0; // bytes 4-5 of the frame
};

// Collects bytes from the line. A frame with a bad CRC is dropped a byte at a
// time so a good frame behind garbage is still found; a good frame for
// another slave is dropped whole.
class FrameAssembler {
public:
    explicit FrameAssembler(uint8_t slave) : m_slave(slave) {}
    void feed(const uint8_t* data, std::size_t length);
    // The next complete request for this slave (or broadcast), if any.
    std::optional<Request> next();
    // The line fell quiet: take what can still be taken (a function whose
    // length cannot be known, closed by a good CRC) and drop the rest.
    std::optional<Request> quiet();
    bool pending() const { return !m_buffer.empty(); }

private:
    // Length the frame at the front will have, 0 when not known yet, -1 when
    // it can only be judged at the end of the transmission.
    int expectedLength() const;
    std::optional<Request> take(std::size_t length);

    uint8_t m_slave;
    std::vector<uint8_t> m_buffer;
};

// The device's answer to one request.
struct Answer {
    std::vector<uint8_t> frame; // complete with CRC; empty for broadcast
    int servedRecord = -1;      // record number presented by a 17500 read
};

// Carries out the request on the state and builds the reply frame.
Answer answer(const Request& request, DeviceState& state);

std::vector<uint8_t> exceptionFrame(uint8_t slave, uint8_t function, uint8_t code);
void appendCrc(std::vector<uint8_t>& frame);

} // namespace sim
