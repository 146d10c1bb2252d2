#include "templatebuilder.h"

namespace mdbgen {

namespace {

using K = ColumnKind;

const LogColumn kDataLog[] = {
    {"Data", K::Text},
    {"Hora", K::Text},
    {"UTC", K::Long},
    {"Qtde Variaveis", K::Integer},
    {"Motivo Gravação", K::Text},
    {"TAMB", K::Double},
    {"TMEC", K::Double},
    {"VMT_1", K::Double},
    {"VMT_2", K::Double},
    {"VMT_3", K::Double},
    {"IMT_1", K::Double},
    {"IMT_2", K::Double},
    {"IMT_3", K::Double},
    {"IAQMEC", K::Double},
    {"IL", K::Double},
    {"V1", K::Double},
    {"NTCT_1", K::Long},
    {"NTCT_2", K::Long},
    {"NTCM_1", K::Long},
    {"NTCM_2", K::Long},
    {"NTCMED", K::Double},
    {"ITCT_1", K::Long},
    {"ITCT_2", K::Long},
    {"ITCM_1", K::Long},
    {"ITCM_2", K::Long},
    {"ITCMED", K::Double},
    {"TTCTOT", K::Long},
    {"TTCMAN", K::Long},
    {"TOMT", K::Double},
    {"POSTC", K::Long},
    {"POSTCANT", K::Long},
    {"OSMTNS_1", K::Long},
    {"OSMTNS_2", K::Long},
    {"UOSC", K::Long},
    {"Autodiagnostico (1)", K::Text},
    {"Autodiagnostico (2)", K::Text},
    {"Alarmes (1)", K::Text},
    {"Alarmes (2)", K::Text},
    {"Alarmes (3)", K::Text},
    {"Reles", K::Text},
    {"CRC", K::Long},
    {"CRC_Valido", K::Integer},
};

const LogColumn kResetLog[] = {
    {"Data", K::Text},
    {"Hora", K::Text},
    {"UTC", K::Integer},
    {"Qtde Variaveis", K::Integer},
    {"Versao Firmware", K::Long},
    {"Subversao", K::Long},
    {"RCON", K::Text},
    {"Reset Point", K::Integer},
    {"Integrity Check", K::Integer},
    {"Global Token", K::Long},
    {"Contador_0", K::Long},
    {"Contador_1", K::Long},
    {"Contador_2", K::Long},
    {"Contador_3", K::Long},
    {"Contador_4", K::Long},
    {"Contador_5", K::Long},
    {"Contador_6", K::Long},
    {"Contador_7", K::Long},
    {"INTCON1", K::Text},
    {"PC", K::Text},
    {"W15", K::Text},
    {"W15_MAX", K::Text},
    {"last_ret_save", K::Text},
    {"last_comp1_save", K::Text},
    {"last_comp2_save", K::Text},
    {"CRC", K::Long},
    {"CRC_Valido", K::Integer},
};

} // namespace

std::span<const LogColumn> dataLogColumns()
{
    return kDataLog;
}
std::span<const LogColumn> resetLogColumns()
{
    return kResetLog;
}

} // namespace mdbgen
