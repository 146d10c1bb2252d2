#include "logexport/resetlogentry.h"

#include "logexport/fieldformat.h"
#include "mdb/dao.h"

namespace logexport {

ResetLogRow decodeResetLog(const ResetLogWords& w)
{
    ResetLogRow r;
    r.data = formatDate(highByte(w[0]), lowByte(w[0]), highByte(w[1]));
    r.hora = formatTime(lowByte(w[1]), highByte(w[2]), lowByte(w[2]));
    r.utc = static_cast<int8_t>(lowByte(w[3]));
    r.qtdeVariaveis = highByte(w[3]);
    r.versaoFirmware = w[4];
    r.subversao = w[5];
    r.rcon = right4(w[6]);
    r.resetPoint = lowByte(w[7]);
    r.integrityCheck = highByte(w[7]);
    r.globalToken = w[8];
    for (std::size_t n = 0; n < r.contador.size(); ++n)
        r.contador[n] = w[9 + n];
    r.intcon1 = right4(w[17]);
    r.pc = "0x" + right4(w[18]) + " | " + right4(w[19]);
    r.w15 = right4(w[20]);
    r.w15Max = right4(w[21]);
    r.lastRetSave = right4(w[22]);
    r.lastComp1Save = right4(w[23]);
    r.lastComp2Save = right4(w[24]);
    r.crc = w[25];
    r.crcValido = recordCrc(w.data(), 25) == w[25] ? 1 : 0;
    return r;
}

void writeResetLogRow(mdb::Recordset& rs, const ResetLogRow& r)
{
    rs.Fields("Data") = r.data;
    rs.Fields("Hora") = r.hora;
    rs.Fields("UTC") = r.utc;
    rs.Fields("Qtde Variaveis") = r.qtdeVariaveis;
    rs.Fields("Versao Firmware") = r.versaoFirmware;
    rs.Fields("Subversao") = r.subversao;
    rs.Fields("RCON") = r.rcon;
    rs.Fields("Reset Point") = r.resetPoint;
    rs.Fields("Integrity Check") = r.integrityCheck;
    rs.Fields("Global Token") = r.globalToken;
    // The name is appended in two steps: GCC 12 at -O3 for 32-bit x86 takes
    // "Contador_" + to_string(n) for overlapping copies (-Wrestrict).
    for (std::size_t n = 0; n < r.contador.size(); ++n) {
        std::string name = "Contador_";
        name += std::to_string(n);
        rs.Fields(name) = r.contador[n];
    }
    rs.Fields("INTCON1") = r.intcon1;
    rs.Fields("PC") = r.pc;
    rs.Fields("W15") = r.w15;
    rs.Fields("W15_MAX") = r.w15Max;
    rs.Fields("last_ret_save") = r.lastRetSave;
    rs.Fields("last_comp1_save") = r.lastComp1Save;
    rs.Fields("last_comp2_save") = r.lastComp2Save;
    rs.Fields("CRC") = r.crc;
    rs.Fields("CRC_Valido") = r.crcValido;
}

} // namespace logexport
