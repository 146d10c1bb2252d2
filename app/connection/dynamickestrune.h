// The production KestruneApi: libkestrune.so (kestrune.dll on Windows) bound
// by name at run time, each export looked up at its own first call, as the
// program has always bound it.
#pragma once

#include "core/kestruneapi.h"

#include <memory>
#include <string>

#ifdef _WIN32
inline constexpr const char* kKestruneLibraryName = "kestrune.dll";
#else
inline constexpr const char* kKestruneLibraryName = "libkestrune.so";
#endif

class DynamicKestrune : public KestruneApi {
public:
    // libraryName is what the system's loader receives (kestruneloader.h); a
    // plain file name finds the library beside the executable.
    explicit DynamicKestrune(std::string libraryName = kKestruneLibraryName);
    ~DynamicKestrune() override;
    DynamicKestrune(const DynamicKestrune&) = delete;
    DynamicKestrune& operator=(const DynamicKestrune&) = delete;

    int32_t open_comm(int32_t port) override;
    int32_t close_comm() override;
    uint32_t set_baud(uint32_t baud, uint32_t stopBits) override;
    uint32_t set_timeout(uint32_t readIntervalMs,
                         uint32_t readTotalConstantMs,
                         uint32_t readTotalMultiplierMs,
                         uint32_t writeTotalConstantMs,
                         uint32_t writeTotalMultiplierMs) override;
    uint32_t comm_tx(uint32_t value) override;
    uint32_t modbus_rd(uint32_t slave, uint32_t firstRegister, uint32_t count) override;
    uint32_t modbus_var(uint32_t index) override;
    uint32_t modbus_wr(uint32_t slave, uint32_t reg, uint32_t value) override;
    uint32_t modbus_store(uint32_t position, uint32_t value) override;
    uint32_t modbus_wrb(uint32_t length) override;
    uint32_t crc_calc(uint32_t crc, uint32_t word) override;
    uint32_t bit_test(uint32_t value, uint32_t bit) override;
    uint32_t bit_set(uint32_t value, uint32_t bit) override;
    uint32_t bit_clear(uint32_t value, uint32_t bit) override;
    uint32_t low(uint32_t value) override;
    uint32_t high(uint32_t value) override;
    std::string lastErrorText() override;
    std::optional<std::string> portDeviceName(int32_t port) override;

    const std::string& libraryName() const { return m_libraryName; }

private:
    // Loads the library and finds `exportName`; throws BindError on failure.
    void* bind(const char* exportName);
    template <class Fn> Fn entry(Fn& slot, const char* exportName);
    // As entry(), but null when the library or the export is missing; asked once.
    template <class Fn> Fn optionalEntry(Fn& slot, bool& asked, const char* exportName);

    std::string m_libraryName;
    struct Entries;
    std::unique_ptr<Entries> m_entries;
};

// The production binding: the library loaded at the first call of each
// export and the export found by name; a failure throws BindError from that
// call.
KestruneApi& dynamicKestrune();
