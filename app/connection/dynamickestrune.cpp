#include "connection/dynamickestrune.h"

#include "connection/kestruneexports.h"
#include "connection/kestruneloader.h"

#include <kestrune.h>

#include <algorithm>
#include <string>
#include <utility>

// Function pointer types taken from the library's own header, so a change of
// an export's signature breaks this file's build instead of the stack.
struct DynamicKestrune::Entries {
#define LOGQVR_SLOT(name) decltype(&::name) name = nullptr;
    LOGQVR_KESTRUNE_REQUIRED(LOGQVR_SLOT)
    // Optional: see KestruneApi.
    LOGQVR_KESTRUNE_OPTIONAL(LOGQVR_SLOT)
#undef LOGQVR_SLOT
    bool askedLastErrorText = false;
    bool askedPortDeviceName = false;
};

DynamicKestrune::DynamicKestrune(std::string libraryName)
    : m_libraryName(std::move(libraryName)), m_entries(std::make_unique<Entries>())
{
}

// The library is never unloaded: it holds the process-wide port, which must
// outlive any one binding object.
DynamicKestrune::~DynamicKestrune() = default;

namespace {

// Calls an export that fills a text buffer and returns the text's full
// length, again with a bigger buffer when the first was too small.
template <class Fill> std::string filledText(Fill fill)
{
    std::string text(256, '\0');
    uint32_t length = fill(text.data(), static_cast<uint32_t>(text.size()));
    if (length >= text.size()) {
        text.assign(std::size_t{length} + 1, '\0');
        length = fill(text.data(), static_cast<uint32_t>(text.size()));
    }
    text.resize(std::min<std::size_t>(length, text.size() - 1));
    return text;
}

} // namespace

void* DynamicKestrune::bind(const char* exportName)
{
    return kestruneloader::findExport(m_libraryName, exportName);
}

template <class Fn> Fn DynamicKestrune::entry(Fn& slot, const char* exportName)
{
    if (!slot)
        slot = reinterpret_cast<Fn>(bind(exportName));
    return slot;
}

template <class Fn> Fn DynamicKestrune::optionalEntry(Fn& slot, bool& asked, const char* exportName)
{
    if (!asked) {
        asked = true;
        try {
            slot = reinterpret_cast<Fn>(bind(exportName));
        } catch (const BindError&) {
            slot = nullptr;
        }
    }
    return slot;
}

#define KESTRUNE_CALL(name, ...) return entry(m_entries->name, #name)(__VA_ARGS__)

int32_t DynamicKestrune::open_comm(int32_t port)
{
    KESTRUNE_CALL(open_comm, port);
}
int32_t DynamicKestrune::close_comm()
{
    KESTRUNE_CALL(close_comm);
}
uint32_t DynamicKestrune::set_baud(uint32_t baud, uint32_t stopBits)
{
    KESTRUNE_CALL(set_baud, baud, stopBits);
}
uint32_t DynamicKestrune::set_timeout(uint32_t readIntervalMs,
                                      uint32_t readTotalConstantMs,
                                      uint32_t readTotalMultiplierMs,
                                      uint32_t writeTotalConstantMs,
                                      uint32_t writeTotalMultiplierMs)
{
    KESTRUNE_CALL(set_timeout,
                  readIntervalMs,
                  readTotalConstantMs,
                  readTotalMultiplierMs,
                  writeTotalConstantMs,
                  writeTotalMultiplierMs);
}
uint32_t DynamicKestrune::comm_tx(uint32_t value)
{
    KESTRUNE_CALL(comm_tx, value);
}
uint32_t DynamicKestrune::modbus_rd(uint32_t slave, uint32_t firstRegister, uint32_t count)
{
    KESTRUNE_CALL(modbus_rd, slave, firstRegister, count);
}
uint32_t DynamicKestrune::modbus_var(uint32_t index)
{
    KESTRUNE_CALL(modbus_var, index);
}
uint32_t DynamicKestrune::modbus_wr(uint32_t slave, uint32_t reg, uint32_t value)
{
    KESTRUNE_CALL(modbus_wr, slave, reg, value);
}
uint32_t DynamicKestrune::modbus_store(uint32_t position, uint32_t value)
{
    KESTRUNE_CALL(modbus_store, position, value);
}
uint32_t DynamicKestrune::modbus_wrb(uint32_t length)
{
    KESTRUNE_CALL(modbus_wrb, length);
}
uint32_t DynamicKestrune::crc_calc(uint32_t crc, uint32_t word)
{
    KESTRUNE_CALL(crc_calc, crc, word);
}
uint32_t DynamicKestrune::bit_test(uint32_t value, uint32_t bit)
{
    KESTRUNE_CALL(bit_test, value, bit);
}
uint32_t DynamicKestrune::bit_set(uint32_t value, uint32_t bit)
{
    KESTRUNE_CALL(bit_set, value, bit);
}
uint32_t DynamicKestrune::bit_clear(uint32_t value, uint32_t bit)
{
    KESTRUNE_CALL(bit_clear, value, bit);
}
uint32_t DynamicKestrune::low(uint32_t value)
{
    KESTRUNE_CALL(low, value);
}
uint32_t DynamicKestrune::high(uint32_t value)
{
    KESTRUNE_CALL(high, value);
}

#undef KESTRUNE_CALL

std::string DynamicKestrune::lastErrorText()
{
    auto fn =
        optionalEntry(m_entries->last_error_text, m_entries->askedLastErrorText, "last_error_text");
    if (!fn)
        return {};
    return filledText([fn](char* buffer, uint32_t size) { return fn(buffer, size); });
}

std::optional<std::string> DynamicKestrune::portDeviceName(int32_t port)
{
    auto fn = optionalEntry(m_entries->port_device_name,
                            m_entries->askedPortDeviceName,
                            "port_device_name");
    if (!fn)
        return std::nullopt;
    std::string name =
        filledText([fn, port](char* buffer, uint32_t size) { return fn(port, buffer, size); });
    if (name.empty())
        return std::nullopt;
    return name;
}

KestruneApi& dynamicKestrune()
{
    static DynamicKestrune instance;
    return instance;
}
