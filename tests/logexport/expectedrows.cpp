#include "expectedrows.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace {

Cell text(std::string t)
{
    return Cell{std::move(t), false, 0};
}
Cell number(double v)
{
    return Cell{{}, true, v};
}

std::string joined(int a, int b, int c, char sep, bool padded)
{
    std::ostringstream out;
    if (padded)
        out << std::setfill('0') << std::setw(2) << a << sep << std::setw(2) << b << sep
            << std::setw(2) << c;
    else
        out << a << sep << b << sep << c;
    return out.str();
}

std::string dateText(int day, int month, int yy)
{
    using namespace std::chrono;
    const bool ok = yy <= 99 && year_month_day{year{yy < 30 ? 2000 + yy : 1900 + yy},
                                               std::chrono::month{static_cast<unsigned>(month)},
                                               std::chrono::day{static_cast<unsigned>(day)}}
                                    .ok();
    return joined(day, month, yy, '/', ok);
}

std::string timeText(int h, int m, int s)
{
    return joined(h, m, s, ':', h < 24 && m < 60 && s < 60);
}

std::string hexText(unsigned w)
{
    std::ostringstream out;
    out << std::uppercase << std::hex << std::setfill('0') << std::setw(4) << w;
    return out.str();
}

int asSigned16(unsigned w)
{
    return w >= 0x8000 ? static_cast<int>(w) - 0x10000 : static_cast<int>(w);
}

void timestamp(ExpectedRow& row, const uint16_t* w)
{
    row["Data"] = text(dateText(w[0] >> 8, w[0] & 0xFF, w[1] >> 8));
    row["Hora"] = text(timeText(w[1] & 0xFF, w[2] >> 8, w[2] & 0xFF));
}

} // namespace

ExpectedRow expectedDataRow(const sim::DataRecord& w)
{
    ExpectedRow row;
    timestamp(row, w.data());
    row["UTC"] = number(asSigned16(w[3]));
    row["Qtde Variaveis"] = number(w[4] >> 8);
    std::string motivo;
    const char* names[] = {"Tempo", "Alarmes", "Erros", "Relés", "Reset"};
    for (int bit = 0; bit < 5; ++bit) {
        if (w[4] & (1 << bit))
            motivo += std::string("| ") + names[bit];
    }
    row["Motivo Gravação"] = text(motivo);
    row["TAMB"] = number(asSigned16(w[5]) / 10.0);
    row["TMEC"] = number(asSigned16(w[6]) / 10.0);
    const std::pair<const char*, int> tenthsCols[] = {{"VMT_1", 7},
                                                      {"VMT_2", 8},
                                                      {"VMT_3", 9},
                                                      {"IAQMEC", 13},
                                                      {"V1", 15},
                                                      {"NTCMED", 20},
                                                      {"TOMT", 28}};
    for (auto [name, i] : tenthsCols)
        row[name] = number(w[i] / 10.0);
    for (auto [name, i] : {std::pair{"IMT_1", 10}, {"IMT_2", 11}, {"IMT_3", 12}, {"ITCMED", 25}})
        row[name] = number(w[i] / 100.0);
    row["IL"] = number(w[14] < 0x8000 ? w[14] / 10.0 : w[14]);
    const std::pair<const char*, int> integerCols[] = {{"NTCT_1", 16},
                                                       {"NTCT_2", 17},
                                                       {"NTCM_1", 18},
                                                       {"NTCM_2", 19},
                                                       {"ITCT_1", 21},
                                                       {"ITCT_2", 22},
                                                       {"ITCM_1", 23},
                                                       {"ITCM_2", 24},
                                                       {"TTCTOT", 26},
                                                       {"TTCMAN", 27},
                                                       {"POSTC", 29},
                                                       {"POSTCANT", 30},
                                                       {"OSMTNS_1", 31},
                                                       {"OSMTNS_2", 32},
                                                       {"UOSC", 33},
                                                       {"CRC", 40}};
    for (auto [name, i] : integerCols)
        row[name] = number(w[i]);
    const std::pair<const char*, int> hexCols[] = {{"Autodiagnostico (1)", 35},
                                                   {"Autodiagnostico (2)", 34},
                                                   {"Alarmes (1)", 38},
                                                   {"Alarmes (2)", 37},
                                                   {"Alarmes (3)", 36},
                                                   {"Reles", 39}};
    for (auto [name, i] : hexCols)
        row[name] = text("0x" + hexText(w[i]));
    row["CRC_Valido"] = number(sim::recordCrc(w.data(), 40) == w[40] ? 1 : 0);
    return row;
}

ExpectedRow expectedResetRow(const sim::ResetEntry& w)
{
    ExpectedRow row;
    timestamp(row, w.data());
    const int utc = w[3] & 0xFF;
    row["UTC"] = number(utc >= 128 ? utc - 256 : utc);
    row["Qtde Variaveis"] = number(w[3] >> 8);
    row["Versao Firmware"] = number(w[4]);
    row["Subversao"] = number(w[5]);
    row["Reset Point"] = number(w[7] & 0xFF);
    row["Integrity Check"] = number(w[7] >> 8);
    row["Global Token"] = number(w[8]);
    for (int n = 0; n < 8; ++n)
        row["Contador_" + std::to_string(n)] = number(w[9 + n]);
    const std::pair<const char*, int> hexCols[] = {{"RCON", 6},
                                                   {"INTCON1", 17},
                                                   {"W15", 20},
                                                   {"W15_MAX", 21},
                                                   {"last_ret_save", 22},
                                                   {"last_comp1_save", 23},
                                                   {"last_comp2_save", 24}};
    for (auto [name, i] : hexCols)
        row[name] = text(hexText(w[i]));
    row["PC"] = text("0x" + hexText(w[18]) + " | " + hexText(w[19]));
    row["CRC"] = number(w[25]);
    row["CRC_Valido"] = number(sim::recordCrc(w.data(), 25) == w[25] ? 1 : 0);
    return row;
}

std::string rowDifferences(const Row& actual, const ExpectedRow& expected)
{
    std::string out;
    for (const auto& [name, cell] : expected) {
        auto it = actual.find(name);
        if (it == actual.end()) {
            out += name + ": missing\n";
            continue;
        }
        bool same;
        if (cell.numeric) {
            char* end = nullptr;
            const double got = std::strtod(it->second.c_str(), &end);
            same = !it->second.empty() && *end == '\0' &&
                   std::fabs(got - cell.number) <= 1e-6 * std::max(1.0, std::fabs(cell.number));
        } else {
            same = it->second == cell.text;
        }
        if (!same) {
            std::ostringstream line;
            line << name << ": got '" << it->second << "', want '";
            if (cell.numeric)
                line << cell.number;
            else
                line << cell.text;
            line << "'\n";
            out += line.str();
        }
    }
    return out;
}
