// libmodbus's RTU server as an independent slave, answering on the master
// side of a pty from a thread of its own. Holding registers 17000-19199.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace ktest {

class ModbusSlave {
public:
    static constexpr int kFirstRegister = 17000;
    static constexpr int kRegisterCount = 2200;

    // Serves `slaveId` on `masterFd` (not taken over: the caller closes it).
    ModbusSlave(int masterFd, int slaveId);
    ~ModbusSlave();
    ModbusSlave(const ModbusSlave&) = delete;
    ModbusSlave& operator=(const ModbusSlave&) = delete;

    bool ok() const { return m_ctx != nullptr && m_map != nullptr; }
    // Only while no transaction runs (before start or between calls).
    void setRegister(int address, uint16_t value);
    uint16_t registerAt(int address) const;
    long replies() const { return m_replies.load(); }

private:
    void serve();

    modbus_t* m_ctx = nullptr;
    modbus_mapping_t* m_map = nullptr;
    int m_fd;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_replies{0};
    std::thread m_thread;
};

} // namespace ktest
