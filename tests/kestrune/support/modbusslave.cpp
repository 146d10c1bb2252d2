#include "modbusslave.h"

#include <modbus.h>
#include <poll.h>

namespace ktest {

ModbusSlave::ModbusSlave(int masterFd, int slaveId) : m_fd(masterFd)
{
    // The device name is never opened: the context is handed the pty master
    // directly, so no second pty pair and relay are needed.
    m_ctx = modbus_new_rtu("/dev/null", 9600, 'N', 8, 2);
    m_map = modbus_mapping_new_start_address(0, 0, 0, 0, kFirstRegister, kRegisterCount, 0, 0);
    if (!ok()) {
        return;
    }
    modbus_set_slave(m_ctx, slaveId);
    modbus_set_socket(m_ctx, masterFd);
    m_thread = std::thread([this] { serve(); });
}

ModbusSlave::~ModbusSlave()
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_map != nullptr) {
        modbus_mapping_free(m_map);
    }
    if (m_ctx != nullptr) {
        modbus_free(m_ctx);
    }
}

void ModbusSlave::setRegister(int address, uint16_t value)
{
    m_map->tab_registers[address - kFirstRegister] = value;
}

uint16_t ModbusSlave::registerAt(int address) const
{
    return m_map->tab_registers[address - kFirstRegister];
}

void ModbusSlave::serve()
{
    uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!m_stop) {
        pollfd pfd{m_fd, POLLIN, 0};
        if (poll(&pfd, 1, 20) <= 0) {
            continue;
        }
        int length = modbus_receive(m_ctx, query);
        if (length > 0 && modbus_reply(m_ctx, query, length, m_map) > 0) {
            ++m_replies;
        }
    }
}

} // namespace ktest
