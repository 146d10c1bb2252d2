// kestrune.dll bound as the program binds it: loaded by file name from the
// program's folder, each export looked up by its plain name.
#pragma once

#include "connection/kestruneexports.h"
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
#define KTEST_BIND(name) bind(name, #name);
        LOGQVR_KESTRUNE_EXPORTS(KTEST_BIND)
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
#define KTEST_SLOT(name) decltype(&::name) name = nullptr;
    LOGQVR_KESTRUNE_EXPORTS(KTEST_SLOT)
#undef KTEST_SLOT

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
