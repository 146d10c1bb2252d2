#include "logexport/datalogrecord.h"

#include "core/formview.h"
#include "logexport/devicelink.h"
#include "logexport/fieldformat.h"
#include "mdb/dao.h"

#include <type_traits>

namespace logexport {

namespace {

std::string valueText(const mdb::Value& v)
{
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return {};
            else if constexpr (std::is_same_v<T, std::string>)
                return x;
            else
                return std::to_string(x);
        },
        v);
}

} // namespace

DataLogRow decodeDataLog(const DataLogWords& w)
{
    DataLogRow r;
    r.data = formatDate(highByte(w[0]), lowByte(w[0]), highByte(w[1]));
    r.hora = formatTime(lowByte(w[1]), highByte(w[2]), lowByte(w[2]));
    r.utc = static_cast<int16_t>(w[3]);
    r.qtdeVariaveis = highByte(w[4]);
    r.reasons = lowByte(w[4]) & 0x1F;
    r.tamb = signedTenths(w[5]);
    r.tmec = signedTenths(w[6]);
    r.vmt1 = tenths(w[7]);
    r.vmt2 = tenths(w[8]);
    r.vmt3 = tenths(w[9]);
    r.imt1 = hundredths(w[10]);
    r.imt2 = hundredths(w[11]);
    r.imt3 = hundredths(w[12]);
    r.iaqmec = tenths(w[13]);
    if (w[14] <= 0x7FFF)
        r.il = tenths(w[14]);
    else
        r.il = static_cast<int32_t>(w[14]);
    r.v1 = tenths(w[15]);
    r.ntct1 = w[16];
    r.ntct2 = w[17];
    r.ntcm1 = w[18];
    r.ntcm2 = w[19];
    r.ntcmed = tenths(w[20]);
    r.itct1 = w[21];
    r.itct2 = w[22];
    r.itcm1 = w[23];
    r.itcm2 = w[24];
    r.itcmed = hundredths(w[25]);
    r.ttctot = w[26];
    r.ttcman = w[27];
    r.tomt = tenths(w[28]);
    r.postc = w[29];
    r.postcant = w[30];
    r.osmtns1 = w[31];
    r.osmtns2 = w[32];
    r.uosc = w[33];
    // The device numbers its status words from the end of each group.
    r.autodiagnostico1 = hex4(w[35]);
    r.autodiagnostico2 = hex4(w[34]);
    r.alarmes1 = hex4(w[38]);
    r.alarmes2 = hex4(w[37]);
    r.alarmes3 = hex4(w[36]);
    r.reles = hex4(w[39]);
    r.crc = w[40];
    r.crcValido = recordCrc(w.data(), 40) == w[40] ? 1 : 0;
    return r;
}

std::string reasonText(std::string current, uint8_t reasons)
{
    for (int bit = 0; bit < kReasonCount; ++bit) {
        if (reasons & (1u << bit))
            current += std::string("| ") + kReasonNames[static_cast<std::size_t>(bit)];
    }
    return current;
}

void writeDataLogRow(mdb::Recordset& rs, const DataLogRow& r)
{
    rs.Fields("Data") = r.data;
    rs.Fields("Hora") = r.hora;
    rs.Fields("UTC") = r.utc;
    rs.Fields("Qtde Variaveis") = r.qtdeVariaveis;
    // A record with no reason leaves the column at the template's default.
    if (r.reasons != 0) {
        auto motivo = rs.Fields("Motivo Gravação");
        motivo = reasonText(valueText(motivo.value()), r.reasons);
    }
    rs.Fields("TAMB") = r.tamb;
    rs.Fields("TMEC") = r.tmec;
    rs.Fields("VMT_1") = r.vmt1;
    rs.Fields("VMT_2") = r.vmt2;
    rs.Fields("VMT_3") = r.vmt3;
    rs.Fields("IMT_1") = r.imt1;
    rs.Fields("IMT_2") = r.imt2;
    rs.Fields("IMT_3") = r.imt3;
    rs.Fields("IAQMEC") = r.iaqmec;
    rs.Fields("IL") = std::visit([](auto v) { return mdb::Value(v); }, r.il);
    rs.Fields("V1") = r.v1;
    rs.Fields("NTCT_1") = r.ntct1;
    rs.Fields("NTCT_2") = r.ntct2;
    rs.Fields("NTCM_1") = r.ntcm1;
    rs.Fields("NTCM_2") = r.ntcm2;
    rs.Fields("NTCMED") = r.ntcmed;
    rs.Fields("ITCT_1") = r.itct1;
    rs.Fields("ITCT_2") = r.itct2;
    rs.Fields("ITCM_1") = r.itcm1;
    rs.Fields("ITCM_2") = r.itcm2;
    rs.Fields("ITCMED") = r.itcmed;
    rs.Fields("TTCTOT") = r.ttctot;
    rs.Fields("TTCMAN") = r.ttcman;
    rs.Fields("TOMT") = r.tomt;
    rs.Fields("POSTC") = r.postc;
    rs.Fields("POSTCANT") = r.postcant;
    rs.Fields("OSMTNS_1") = r.osmtns1;
    rs.Fields("OSMTNS_2") = r.osmtns2;
    rs.Fields("UOSC") = r.uosc;
    rs.Fields("Autodiagnostico (1)") = r.autodiagnostico1;
    rs.Fields("Autodiagnostico (2)") = r.autodiagnostico2;
    rs.Fields("Alarmes (1)") = r.alarmes1;
    rs.Fields("Alarmes (2)") = r.alarmes2;
    rs.Fields("Alarmes (3)") = r.alarmes3;
    rs.Fields("Reles") = r.reles;
    rs.Fields("CRC") = r.crc;
    rs.Fields("CRC_Valido") = r.crcValido;
}

bool fetchDataLogRecord(DeviceLink& link, FormView& view, int16_t n)
{
    // The select register takes n - 1 as a signed value: record 0 goes out as 0xFFFF.
    link.write(kRegLogSelect, static_cast<uint32_t>(static_cast<int32_t>(n) - 1));
    view.processEvents();
    return link.read(kRegLogWindow, kLogWindowWords);
}

DataLogWords readDataLogWords(DeviceLink& link)
{
    DataLogWords w{};
    for (uint32_t i = 0; i < kLogWindowWords; ++i)
        w[i] = link.word(i);
    return w;
}

} // namespace logexport
