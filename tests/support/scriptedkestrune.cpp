#include "scriptedkestrune.h"

std::string callText(const std::string& name, std::initializer_list<uint32_t> args)
{
    std::string text = name + "(";
    const char* sep = "";
    for (uint32_t a : args) {
        text += sep; // two appends: GCC 12 at -O3 misjudges `sep + string` (-Wrestrict)
        text += std::to_string(a);
        sep = ",";
    }
    return text + ")";
}

int32_t ScriptedKestrune::open_comm(int32_t port)
{
    m_log.push_back(callText("open_comm", {static_cast<uint32_t>(port)}));
    return openResult;
}

int32_t ScriptedKestrune::close_comm()
{
    m_log.push_back("close_comm()");
    return 1;
}

uint32_t ScriptedKestrune::set_baud(uint32_t baud, uint32_t stopBits)
{
    m_log.push_back(callText("set_baud", {baud, stopBits}));
    return baudResult;
}

uint32_t ScriptedKestrune::set_timeout(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e)
{
    m_log.push_back(callText("set_timeout", {a, b, c, d, e}));
    return 1;
}

uint32_t ScriptedKestrune::modbus_rd(uint32_t slave, uint32_t first, uint32_t count)
{
    m_log.push_back(callText("modbus_rd", {slave, first, count}));
    if (onRead)
        onRead(first);
    if (failing.count(first))
        return 0;
    for (uint32_t i = 0; i < count; ++i)
        m_image[i] = registers.count(first + i) ? registers.at(first + i) : 0;
    return 1;
}
