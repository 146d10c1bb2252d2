#include "report/reportmodel.h"

#include "report/logtime.h"
#include "report/numbertext.h"

#include <map>

namespace report {

namespace {

uint8_t reasonBits(const std::string& motivo)
{
    // The names follow "| ": "| Tempo| Relés". Match whole names, so that a
    // reason never counts for one that merely contains it.
    uint8_t bits = 0;
    std::size_t at = 0;
    while ((at = motivo.find("| ", at)) != std::string::npos) {
        at += 2;
        const std::size_t end = motivo.find('|', at);
        const std::string name = motivo.substr(at, end == std::string::npos ? end : end - at);
        for (int i = 0; i < kReasonCount; ++i)
            if (name == kReasonNames[static_cast<std::size_t>(i)])
                bits = static_cast<uint8_t>(bits | (1u << i));
    }
    return bits;
}

RowFacts factsOf(const LogTable& table, const std::vector<mdb::Value>& row)
{
    RowFacts f;
    const std::string data = text(row[static_cast<std::size_t>(table.column("Data"))]);
    f.time = logTime(data, text(row[static_cast<std::size_t>(table.column("Hora"))]));
    f.erased = data == "255/255/255";
    f.crcOk = number(row[static_cast<std::size_t>(table.column("CRC_Valido"))]).value_or(0) != 0;
    if (table.kind == LogKind::Data)
        f.reasons =
            reasonBits(text(row[static_cast<std::size_t>(table.column("Motivo Gravação"))]));
    return f;
}

void summarise(ReportModel& m, const LogTable& table)
{
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (!isQuantity(table.columns[c]))
            continue;
        ColumnSummary s;
        s.column = static_cast<int>(c);
        double sum = 0;
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const std::optional<double> v = number(table.rows[r][c]);
            if (!m.rows[r].charted() || !v)
                continue;
            if (s.count == 0 || *v < s.min) {
                s.min = *v;
                s.minRow = static_cast<int>(r);
            }
            if (s.count == 0 || *v > s.max) {
                s.max = *v;
                s.maxRow = static_cast<int>(r);
            }
            sum += *v;
            ++s.count;
        }
        if (s.count > 0)
            s.mean = sum / s.count;
        m.summary.push_back(s);
    }
}

void countFirmware(ReportModel& m, const LogTable& table)
{
    const auto version = static_cast<std::size_t>(table.column("Versao Firmware"));
    const auto release = static_cast<std::size_t>(table.column("Subversao"));
    std::map<std::pair<std::string, std::string>, std::size_t> seen;
    for (const auto& row : table.rows) {
        auto key = std::make_pair(text(row[version]), text(row[release]));
        auto [it, fresh] = seen.emplace(key, m.firmware.size());
        if (fresh)
            m.firmware.push_back({key.first, key.second, 0});
        ++m.firmware[it->second].count;
    }
}

} // namespace

bool isQuantity(const LogColumn& column)
{
    return column.numeric && column.name != "CRC" && column.name != "CRC_Valido";
}

std::optional<double> number(const mdb::Value& v)
{
    if (const auto* i16 = std::get_if<int16_t>(&v))
        return *i16;
    if (const auto* i32 = std::get_if<int32_t>(&v))
        return *i32;
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    return std::nullopt;
}

std::string text(const mdb::Value& v)
{
    if (const auto* s = std::get_if<std::string>(&v))
        return *s;
    if (const std::optional<double> n = number(v))
        return numberText(*n);
    return {};
}

ReportModel buildModel(const std::string& path, const LogTable& table)
{
    ReportModel m;
    m.fileName = baseName(path);
    m.stamp = fileStamp(path);
    std::optional<int64_t> previous;
    for (const auto& row : table.rows) {
        RowFacts f = factsOf(table, row);
        m.badCrc += f.crcOk ? 0 : 1;
        m.erased += f.erased ? 1 : 0;
        m.undated += f.time ? 0 : 1;
        for (int i = 0; i < kReasonCount; ++i)
            m.reasons[static_cast<std::size_t>(i)] += (f.reasons >> i) & 1;
        if (f.charted()) {
            if (previous && *f.time < *previous)
                ++m.backwards;
            previous = f.time;
            if (!m.first || *f.time < *m.first)
                m.first = f.time;
            if (!m.last || *f.time > *m.last)
                m.last = f.time;
        } else {
            ++m.uncharted;
        }
        m.rows.push_back(f);
    }
    summarise(m, table);
    if (table.kind == LogKind::Reset)
        countFirmware(m, table);
    return m;
}

} // namespace report
