// A device library that answers from a script and writes every call, with
// its arguments, into a log the test reads back: for what the simulated
// device cannot show (time-out arguments, the calls after a refusal, texts
// converted before anything is opened).
#pragma once

#include "core/kestruneapi.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

using CallLog = std::vector<std::string>;

// "name(a,b,c)", as the log holds a call.
std::string callText(const std::string& name, std::initializer_list<uint32_t> args);

// Reads answer from `registers` unless the first register is listed in
// `failing`; modbus_var hands out the words of the last successful read, and
// after a failed one whatever the image held before, as the library does.
class ScriptedKestrune : public KestruneApi {
public:
    explicit ScriptedKestrune(CallLog& log) : m_log(log) {}

    int32_t open_comm(int32_t port) override;
    int32_t close_comm() override;
    uint32_t set_baud(uint32_t baud, uint32_t stopBits) override;
    uint32_t set_timeout(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) override;
    uint32_t comm_tx(uint32_t) override { return 0; }
    uint32_t modbus_rd(uint32_t slave, uint32_t first, uint32_t count) override;
    uint32_t modbus_var(uint32_t index) override { return m_image[index]; }
    uint32_t modbus_wr(uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t modbus_store(uint32_t, uint32_t) override { return 0; }
    uint32_t modbus_wrb(uint32_t) override { return 0; }
    uint32_t crc_calc(uint32_t, uint32_t) override { return 0; }
    uint32_t bit_test(uint32_t value, uint32_t bit) override { return (value >> bit) & 1; }
    uint32_t bit_set(uint32_t value, uint32_t bit) override { return value | (1u << bit); }
    uint32_t bit_clear(uint32_t value, uint32_t bit) override { return value & ~(1u << bit); }
    uint32_t low(uint32_t value) override { return value & 0xFF; }
    uint32_t high(uint32_t value) override { return (value >> 8) & 0xFF; }

    int32_t openResult = 4;
    uint32_t baudResult = 1;
    std::map<uint32_t, uint32_t> registers =
        {{17008, 124}, {17009, 12}, {17010, 345}, {17011, 2}, {17043, 4}, {17161, 100}};
    std::map<uint32_t, bool> failing;
    std::function<void(uint32_t first)> onRead;

private:
    CallLog& m_log;
    std::map<uint32_t, uint32_t> m_image;
};
