// kestrune.dll bound as the program binds it: loaded by file name from the
// program's folder, each export looked up by its plain name.
#pragma once

#include "kestrune.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ktest {

class BoundKestrune {
public:
    BoundKestrune() : m_module(LoadLibraryW(L"kestrune.dll"))
    {
        if (m_module == nullptr) {
            m_missing.push_back("kestrune.dll");
            return;
        }
#define KTEST_BIND(name) bind(name, #name)
        KTEST_BIND(open_comm);
        KTEST_BIND(close_comm);
        KTEST_BIND(set_baud);
        KTEST_BIND(set_timeout);
        KTEST_BIND(write_comm);
        KTEST_BIND(read_comm);
        KTEST_BIND(comm_tx);
        KTEST_BIND(modbus_rd);
        KTEST_BIND(modbus_var);
        KTEST_BIND(modbus_wr);
        KTEST_BIND(modbus_store);
        KTEST_BIND(modbus_wrb);
        KTEST_BIND(modbus_buf_wr);
        KTEST_BIND(crc_calc);
        KTEST_BIND(bit_test);
        KTEST_BIND(bit_set);
        KTEST_BIND(bit_clear);
        KTEST_BIND(low);
        KTEST_BIND(high);
        KTEST_BIND(last_error_text);
        KTEST_BIND(port_device_name);
#undef KTEST_BIND
        // CModbus leaves the library under its C++ names.
        for (const char* name : {"_ZN7CModbusC1Ev", "_ZN7CModbusC2Ev", "_ZN7CModbusaSERKS_"}) {
            if (GetProcAddress(m_module, name) == nullptr) {
                m_missing.push_back(name);
            }
        }
    }
    ~BoundKestrune()
    {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
    }
    BoundKestrune(const BoundKestrune&) = delete;
    BoundKestrune& operator=(const BoundKestrune&) = delete;

    // Names that did not resolve (or the DLL itself); empty when all did.
    const std::vector<std::string>& missing() const
    {
        return m_missing;
    }

    // The header's own declarations give the types, calling convention
    // included, as the program takes them.
    decltype(&::open_comm) open_comm = nullptr;
    decltype(&::close_comm) close_comm = nullptr;
    decltype(&::set_baud) set_baud = nullptr;
    decltype(&::set_timeout) set_timeout = nullptr;
    decltype(&::write_comm) write_comm = nullptr;
    decltype(&::read_comm) read_comm = nullptr;
    decltype(&::comm_tx) comm_tx = nullptr;
    decltype(&::modbus_rd) modbus_rd = nullptr;
    decltype(&::modbus_var) modbus_var = nullptr;
    decltype(&::modbus_wr) modbus_wr = nullptr;
    decltype(&::modbus_store) modbus_store = nullptr;
    decltype(&::modbus_wrb) modbus_wrb = nullptr;
    decltype(&::modbus_buf_wr) modbus_buf_wr = nullptr;
    decltype(&::crc_calc) crc_calc = nullptr;
    decltype(&::bit_test) bit_test = nullptr;
    decltype(&::bit_set) bit_set = nullptr;
    decltype(&::bit_clear) bit_clear = nullptr;
    decltype(&::low) low = nullptr;
    decltype(&::high) high = nullptr;
    decltype(&::last_error_text) last_error_text = nullptr;
    decltype(&::port_device_name) port_device_name = nullptr;

private:
    template <class Fn> void bind(Fn& slot, const char* name)
    {
        slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
        if (slot == nullptr) {
            m_missing.push_back(name);
        }
    }

    HMODULE m_module;
    std::vector<std::string> m_missing;
};

// One binding for a whole test program, as the program keeps its own; a
// test may unload and load it again through s_dll.
class BoundKestruneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_dll = new BoundKestrune; }
    static void TearDownTestSuite()
    {
        delete s_dll;
        s_dll = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_dll->missing().empty()) << s_dll->missing().front(); }

    static const BoundKestrune& k() { return *s_dll; }
    static inline BoundKestrune* s_dll = nullptr;
};

} // namespace ktest
