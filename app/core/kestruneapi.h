// The exports of libkestrune that the program calls, as an interface so that
// handlers can be driven by the real library (bound at run time) or a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

// Thrown by a call whose library or export could not be bound. The message
// names the library or export and the loader's reason.
class BindError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class KestruneApi {
public:
    virtual ~KestruneApi() = default;
    virtual int32_t open_comm(int32_t port) = 0;
    virtual int32_t close_comm() = 0;
    virtual uint32_t set_baud(uint32_t baud, uint32_t stopBits) = 0;
    virtual uint32_t set_timeout(uint32_t readIntervalMs,
                                 uint32_t readTotalConstantMs,
                                 uint32_t readTotalMultiplierMs,
                                 uint32_t writeTotalConstantMs,
                                 uint32_t writeTotalMultiplierMs) = 0;
    virtual uint32_t comm_tx(uint32_t value) = 0;
    virtual uint32_t modbus_rd(uint32_t slave, uint32_t firstRegister, uint32_t count) = 0;
    virtual uint32_t modbus_var(uint32_t index) = 0;
    virtual uint32_t modbus_wr(uint32_t slave, uint32_t reg, uint32_t value) = 0;
    virtual uint32_t modbus_store(uint32_t position, uint32_t value) = 0;
    virtual uint32_t modbus_wrb(uint32_t length) = 0;
    virtual uint32_t crc_calc(uint32_t crc, uint32_t word) = 0;
    virtual uint32_t bit_test(uint32_t value, uint32_t bit) = 0;
    virtual uint32_t bit_set(uint32_t value, uint32_t bit) = 0;
    virtual uint32_t bit_clear(uint32_t value, uint32_t bit) = 0;
    virtual uint32_t low(uint32_t value) = 0;
    virtual uint32_t high(uint32_t value) = 0;

    // Exports that older builds of the library lack. They never throw: a
    // library without them (or none at all) still works, the program just
    // knows less.
    // Why the last open_comm failed, one line in Portuguese; empty when the
    // library cannot tell.
    virtual std::string lastErrorText() { return {}; }
    // What open_comm(port) opens; none when the number names no port or the
    // library cannot tell.
    virtual std::optional<std::string> portDeviceName(int32_t) { return std::nullopt; }
};
