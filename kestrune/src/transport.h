// The byte pipe under the RTU master. The master builds frames and judges
// replies; a transport only moves bytes, so the master runs the same over a
// serial port or over an in-memory fake in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrune {

class Transport {
public:
    virtual ~Transport() = default;

    // Drops whatever has been received and not yet read.
    virtual void purgeInput() = 0;
    // Returns the count written, which is short when the write time-out ran
    // out, or -1 when the write failed (no port, the line gone, an error).
    virtual std::ptrdiff_t write(const uint8_t* data, std::size_t length) = 0;
    // Returns when all `length` bytes have come or a read time-out ran out;
    // the result is the count that came.
    virtual std::size_t read(uint8_t* data, std::size_t length) = 0;
};

} // namespace kestrune
