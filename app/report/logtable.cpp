#include "report/logtable.h"

#include "mdb/format.h"

#include <algorithm>

namespace report {

namespace {

bool isNumericType(int type)
{
    using namespace mdb::jet4;
    switch (type) {
    case kTypeByte:
    case kTypeInteger:
    case kTypeLong:
    case kTypeCurrency:
    case kTypeSingle:
    case kTypeDouble:
        return true;
    default:
        return false;
    }
}

bool holdsAll(const LogTable& table, const std::vector<std::string>& names)
{
    return std::all_of(names.begin(), names.end(), [&table](const std::string& name) {
        return table.column(name) >= 0;
    });
}

} // namespace

int LogTable::column(std::string_view name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == name)
            return static_cast<int>(i);
    return -1;
}

const std::vector<std::string>& dataLogColumnNames()
{
    static const std::vector<std::string> kNames = {"Data",
                                                    "Hora",
                                                    "UTC",
                                                    "Qtde Variaveis",
                                                    "Motivo Gravação",
                                                    "TAMB",
                                                    "TMEC",
                                                    "VMT_1",
                                                    "VMT_2",
                                                    "VMT_3",
                                                    "IMT_1",
                                                    "IMT_2",
                                                    "IMT_3",
                                                    "IAQMEC",
                                                    "IL",
                                                    "V1",
                                                    "NTCT_1",
                                                    "NTCT_2",
                                                    "NTCM_1",
                                                    "NTCM_2",
                                                    "NTCMED",
                                                    "ITCT_1",
                                                    "ITCT_2",
                                                    "ITCM_1",
                                                    "ITCM_2",
                                                    "ITCMED",
                                                    "TTCTOT",
                                                    "TTCMAN",
                                                    "TOMT",
                                                    "POSTC",
                                                    "POSTCANT",
                                                    "OSMTNS_1",
                                                    "OSMTNS_2",
                                                    "UOSC",
                                                    "Autodiagnostico (1)",
                                                    "Autodiagnostico (2)",
                                                    "Alarmes (1)",
                                                    "Alarmes (2)",
                                                    "Alarmes (3)",
                                                    "Reles",
                                                    "CRC",
                                                    "CRC_Valido"};
    return kNames;
}

const std::vector<std::string>& resetLogColumnNames()
{
    static const std::vector<std::string> kNames = {
        "Data",       "Hora",       "UTC",           "Qtde Variaveis",  "Versao Firmware",
        "Subversao",  "RCON",       "Reset Point",   "Integrity Check", "Global Token",
        "Contador_0", "Contador_1", "Contador_2",    "Contador_3",      "Contador_4",
        "Contador_5", "Contador_6", "Contador_7",    "INTCON1",         "PC",
        "W15",        "W15_MAX",    "last_ret_save", "last_comp1_save", "last_comp2_save",
        "CRC",        "CRC_Valido"};
    return kNames;
}

std::string engineFailureReason(const mdb::Error& error)
{
    switch (error.number()) {
    case mdb::kErrFileNotFound:
        return "o arquivo não foi encontrado.";
    case mdb::kErrCannotOpen:
        return "o arquivo está aberto com exclusividade por outro programa, ou falta "
               "permissão para lê-lo.";
    case mdb::kErrBadPassword:
        return "o arquivo é protegido por senha.";
    case mdb::kErrUnrecognizedFormat:
        return "não é um banco de dados do Access (Jet 4) que este programa leia, ou está "
               "incompleto.";
    case mdb::kErrCorrupt:
        return "o arquivo está danificado.";
    case mdb::kErrTableNotFound:
        return "não é um arquivo de LOG deste programa (falta a tabela \"LOG\").";
    case mdb::kErrDiskIoRead:
        return "erro de leitura do disco.";
    default:
        return "erro " + std::to_string(error.number()) + " - " + error.description();
    }
}

LogTable readLogTable(const std::string& path)
{
    LogTable table;
    try {
        // Shared and read-only: a download that holds the file shared may go
        // on filling it, and the file is never changed by being read.
        auto db = mdb::dbEngine().OpenDatabase(path, false, true, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        const int count = rs->FieldCount();
        for (int i = 0; i < count; ++i) {
            mdb::Field field = rs->Fields(i);
            table.columns.push_back({field.Name(), field.Type(), isNumericType(field.Type())});
        }
        if (holdsAll(table, dataLogColumnNames()))
            table.kind = LogKind::Data;
        else if (holdsAll(table, resetLogColumnNames()))
            table.kind = LogKind::Reset;
        else
            throw ReportError("não é um arquivo de LOG deste programa (a tabela \"LOG\" não "
                              "tem as colunas de um LOG de dados nem de um LOG de reset).");
        table.rows.reserve(static_cast<std::size_t>(std::max(rs->RecordCount(), 0L)));
        for (; !rs->Eof(); rs->MoveNext()) {
            std::vector<mdb::Value> row;
            row.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                row.push_back(rs->Fields(i).value());
            table.rows.push_back(std::move(row));
        }
        rs->Close();
        db->Close();
    } catch (const mdb::Error& e) {
        throw ReportError(engineFailureReason(e));
    }
    return table;
}

} // namespace report
