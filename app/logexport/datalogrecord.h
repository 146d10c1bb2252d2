// One data-log record: its 41 device words, the row they decode to, how the
// row goes into table "LOG" of the data template, and how a record is fetched.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>

class FormView;

namespace mdb {
class Recordset;
}

namespace logexport {

class DeviceLink;

inline constexpr int kLogCapacity = 10380;
inline constexpr uint32_t kRegLogSelect = 19045;
inline constexpr uint32_t kRegLogWindow = 17500;
inline constexpr uint32_t kLogWindowWords = 41;

using DataLogWords = std::array<uint16_t, kLogWindowWords>;

// Bits 0..4 of w4's low byte: why the device wrote the record.
enum ReasonBit : uint8_t {
    kReasonTempo = 1 << 0,
    kReasonAlarmes = 1 << 1,
    kReasonErros = 1 << 2,
    kReasonReles = 1 << 3,
    kReasonReset = 1 << 4,
};
inline constexpr int kReasonCount = 5;
// Their names in "Motivo Gravação", bit 0 first.
inline constexpr std::array<const char*, kReasonCount> kReasonNames = {"Tempo",
                                                                       "Alarmes",
                                                                       "Erros",
                                                                       "Relés",
                                                                       "Reset"};

struct DataLogRow {
    std::string data;
    std::string hora;
    int32_t utc = 0;
    int16_t qtdeVariaveis = 0;
    uint8_t reasons = 0; // ReasonBit set; the text needs the template's default
    double tamb = 0, tmec = 0;
    double vmt1 = 0, vmt2 = 0, vmt3 = 0;
    double imt1 = 0, imt2 = 0, imt3 = 0;
    double iaqmec = 0;
    // Tenths up to 0x7FFF; above, the device flags a raw reading, kept unscaled.
    std::variant<double, int32_t> il = 0.0;
    double v1 = 0;
    int32_t ntct1 = 0, ntct2 = 0, ntcm1 = 0, ntcm2 = 0;
    double ntcmed = 0;
    int32_t itct1 = 0, itct2 = 0, itcm1 = 0, itcm2 = 0;
    double itcmed = 0;
    int32_t ttctot = 0, ttcman = 0;
    double tomt = 0;
    int32_t postc = 0, postcant = 0, osmtns1 = 0, osmtns2 = 0, uosc = 0;
    std::string autodiagnostico1, autodiagnostico2;
    std::string alarmes1, alarmes2, alarmes3;
    std::string reles;
    int32_t crc = 0;
    int16_t crcValido = 0;

    bool operator==(const DataLogRow&) const = default;
};

DataLogRow decodeDataLog(const DataLogWords& w);

// "Motivo Gravação" after appending "| " and each set reason's name, in bit
// order, to the column's current text.
std::string reasonText(std::string current, uint8_t reasons);

// Assign the row's 42 columns, by name and in the record's word order, to the
// recordset's current new row. The reasons build on the template's default.
void writeDataLogRow(mdb::Recordset& rs, const DataLogRow& row);

// Select record n (the device takes n - 1; record 0 goes out as 0xFFFF), yield
// once to the window, then read the window. Only the read decides success.
bool fetchDataLogRecord(DeviceLink& link, FormView& view, int16_t n);
DataLogWords readDataLogWords(DeviceLink& link);

} // namespace logexport
