// One reset-log entry: its 26 device words, the row they decode to and how
// the row goes into table "LOG" of the reset template.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mdb {
class Recordset;
}

namespace logexport {

inline constexpr int kResetSlots = 78;
inline constexpr uint32_t kRegResetPointer = 17172;
inline constexpr uint32_t kRegResetSelect = 19096;
inline constexpr uint32_t kRegResetWindow = 17600;
inline constexpr uint32_t kResetWindowWords = 26;

using ResetLogWords = std::array<uint16_t, kResetWindowWords>;

// The device marks an unused slot with 0xFFFF as its firmware version (w4).
inline bool isBlankResetSlot(const ResetLogWords& w)
{
    return w[4] == 0xFFFF;
}

struct ResetLogRow {
    std::string data;
    std::string hora;
    int16_t utc = 0; // signed byte
    int16_t qtdeVariaveis = 0;
    int32_t versaoFirmware = 0;
    int32_t subversao = 0;
    std::string rcon;
    int16_t resetPoint = 0;
    int16_t integrityCheck = 0;
    int32_t globalToken = 0;
    std::array<int32_t, 8> contador{};
    std::string intcon1;
    std::string pc;
    std::string w15, w15Max;
    std::string lastRetSave, lastComp1Save, lastComp2Save;
    int32_t crc = 0;
    int16_t crcValido = 0;

    bool operator==(const ResetLogRow&) const = default;
};

ResetLogRow decodeResetLog(const ResetLogWords& w);

// Assign the row's columns, by name and in the entry's word order, to the
// recordset's current new row.
void writeResetLogRow(mdb::Recordset& rs, const ResetLogRow& row);

} // namespace logexport
