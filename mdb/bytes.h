// Little-endian access to byte buffers. Every read of a value that came from
// a file goes through the checked forms, which throw FormatError instead of
// reading past the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace mdb {

// A structure in the file does not make sense (offset out of range, bad
// magic...). The layer that knows the file turns it into an mdb::Error.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline void requireRange(std::span<const uint8_t> b, std::size_t off, std::size_t len)
{
    if (off > b.size() || len > b.size() - off)
        throw FormatError("read past the end of a structure at offset " + std::to_string(off));
}

inline uint8_t get8(std::span<const uint8_t> b, std::size_t off)
{
    requireRange(b, off, 1);
    return b[off];
}

inline uint16_t get16(std::span<const uint8_t> b, std::size_t off)
{
    requireRange(b, off, 2);
    return static_cast<uint16_t>(b[off] | (b[off + 1] << 8));
}

inline uint32_t get32(std::span<const uint8_t> b, std::size_t off)
{
    requireRange(b, off, 4);
    return static_cast<uint32_t>(b[off]) | (static_cast<uint32_t>(b[off + 1]) << 8) |
           (static_cast<uint32_t>(b[off + 2]) << 16) | (static_cast<uint32_t>(b[off + 3]) << 24);
}

inline uint64_t get64(std::span<const uint8_t> b, std::size_t off)
{
    return static_cast<uint64_t>(get32(b, off)) | (static_cast<uint64_t>(get32(b, off + 4)) << 32);
}

inline double getDouble(std::span<const uint8_t> b, std::size_t off)
{
    uint64_t bits = get64(b, off);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void put8(std::span<uint8_t> b, std::size_t off, uint8_t v)
{
    requireRange(b, off, 1);
    b[off] = v;
}

inline void put16(std::span<uint8_t> b, std::size_t off, uint16_t v)
{
    requireRange(b, off, 2);
    b[off] = static_cast<uint8_t>(v);
    b[off + 1] = static_cast<uint8_t>(v >> 8);
}

inline void put32(std::span<uint8_t> b, std::size_t off, uint32_t v)
{
    requireRange(b, off, 4);
    for (int i = 0; i < 4; ++i)
        b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void put64(std::span<uint8_t> b, std::size_t off, uint64_t v)
{
    put32(b, off, static_cast<uint32_t>(v));
    put32(b, off + 4, static_cast<uint32_t>(v >> 32));
}

inline void putDouble(std::span<uint8_t> b, std::size_t off, double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    put64(b, off, bits);
}

} // namespace mdb
