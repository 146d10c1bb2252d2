// The C face: every export forwards to the one process-wide port and
// register image. Nothing here throws, and nothing is handed out to free.
#include "kestrune.h"

#include "crc16.h"
#include "openreason.h"
#include "portname.h"
#include "rtumaster.h"
#include "serialport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

using kestrune::CommTimeouts;
using kestrune::RegisterImage;
using kestrune::RtuMaster;
using kestrune::SerialPort;

namespace {

struct Library {
    SerialPort port;
    RegisterImage image;
    RtuMaster master{port, image};
    std::string lastError; // of the last open_comm
};

Library& library()
{
    static Library instance;
    return instance;
}

// snprintf's contract: as much as fits with its terminator, and the whole
// length, so a caller can ask again with room enough.
uint32_t copyText(const std::string& text, char* buffer, uint32_t size)
{
    if (buffer != nullptr && size > 0) {
        const std::size_t copied = std::min<std::size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<uint32_t>(std::min<std::size_t>(text.size(), UINT32_MAX));
}

} // namespace

extern "C" {

int32_t KESTRUNE_CALLCONV open_comm(int32_t port)
{
    Library& lib = library();
    auto path = kestrune::portDevice(port);
    if (!path) {
        lib.port.close(); // an open that names no port still lets go of the old one
        lib.lastError = kestrune::noDeviceText(port);
        return KESTRUNE_OPEN_FAILED;
    }
    const kestrune::OpenResult result = lib.port.open(*path);
    lib.lastError = kestrune::openFailureText(port, lib.port.lastOpenError());
    return static_cast<int32_t>(result);
}

uint32_t KESTRUNE_CALLCONV last_error_text(char* buffer, uint32_t size)
{
    return copyText(library().lastError, buffer, size);
}

uint32_t KESTRUNE_CALLCONV port_device_name(int32_t port, char* buffer, uint32_t size)
{
    const auto path = kestrune::portDevice(port);
    return path ? copyText(*path, buffer, size) : 0;
}

int32_t KESTRUNE_CALLCONV close_comm(void)
{
    return library().port.close() ? 1 : 0;
}

uint32_t KESTRUNE_CALLCONV set_baud(uint32_t baud, uint32_t stopBits)
{
    return library().port.setBaud(baud, stopBits == 1) ? 1 : 0;
}

uint32_t KESTRUNE_CALLCONV set_timeout(uint32_t readIntervalMs,
                                       uint32_t readTotalConstantMs,
                                       uint32_t readTotalMultiplierMs,
                                       uint32_t writeTotalConstantMs,
                                       uint32_t writeTotalMultiplierMs)
{
    library().port.setTimeouts(CommTimeouts{readIntervalMs,
                                            readTotalConstantMs,
                                            readTotalMultiplierMs,
                                            writeTotalConstantMs,
                                            writeTotalMultiplierMs});
    return 1;
}

void KESTRUNE_CALLCONV write_comm(const uint8_t* buffer, uint32_t length)
{
    if (buffer != nullptr) {
        library().port.write(buffer, length);
    }
}

uint8_t KESTRUNE_CALLCONV read_comm(void)
{
    uint8_t byte = 0;
    library().port.read(&byte, 1);
    return byte;
}

uint32_t KESTRUNE_CALLCONV comm_tx(uint32_t value)
{
    auto& port = library().port;
    if (!port.isOpen()) {
        return 0;
    }
    port.purgeInput();
    const uint8_t byte = static_cast<uint8_t>(value);
    return port.write(&byte, 1) == 1 ? 1 : 0;
}

uint32_t KESTRUNE_CALLCONV modbus_rd(uint32_t slave, uint32_t firstRegister, uint32_t count)
{
    return library().master.readHolding(slave, firstRegister, count);
}

uint32_t KESTRUNE_CALLCONV modbus_var(uint32_t index)
{
    return library().image.word(index);
}

uint32_t KESTRUNE_CALLCONV modbus_wr(uint32_t slave, uint32_t reg, uint32_t value)
{
    return library().master.writeSingle(slave, reg, value);
}

uint32_t KESTRUNE_CALLCONV modbus_store(uint32_t position, uint32_t value)
{
    return library().image.store(position, value);
}

uint32_t KESTRUNE_CALLCONV modbus_wrb(uint32_t length)
{
    return library().master.writeImage(length);
}

uint32_t KESTRUNE_CALLCONV modbus_buf_wr(uint8_t* buffer, uint32_t length)
{
    return library().master.writeRaw(buffer, length);
}

uint32_t KESTRUNE_CALLCONV crc_calc(uint32_t crc, uint32_t word)
{
    return kestrune::crcStepWord(crc, word);
}

uint32_t KESTRUNE_CALLCONV bit_test(uint32_t value, uint32_t bit)
{
    return (value >> (bit & 31u)) & 1u;
}

uint32_t KESTRUNE_CALLCONV bit_set(uint32_t value, uint32_t bit)
{
    return value | (1u << (bit & 31u));
}

uint32_t KESTRUNE_CALLCONV bit_clear(uint32_t value, uint32_t bit)
{
    return value & ~(1u << (bit & 31u));
}

uint32_t KESTRUNE_CALLCONV low(uint32_t value)
{
    return value & 0xFFu;
}

uint32_t KESTRUNE_CALLCONV high(uint32_t value)
{
    return value >> 8;
}

} // extern "C"

CModbus::CModbus() = default;

CModbus& CModbus::operator=(const CModbus&)
{
    return *this;
}
