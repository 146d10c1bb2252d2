// Filling a template through the engine's DAO face the way the downloads do,
// and comparing what other readers then see with what was written.
#pragma once

#include "mdb/dao.h"
#include "mdbtools.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace mdbcheck::testing {

// Column names and types of a LOG table, as mdb-schema prints them for the
// Jackcess model of that template.
using Schema = std::vector<SchemaColumn>;

// One row to write: a value per column; monostate leaves the column unassigned.
using ValueRow = std::vector<mdb::Value>;

// Values chosen to hit the conversions the downloads rely on: accents and
// pipes, the longest reason text, negative numbers, tenths and hundredths
// that binary floating point cannot hold exactly, and 16/32-bit extremes.
inline mdb::Value sampleValue(const SchemaColumn& c, size_t row, size_t column)
{
    static const char* kTexts[] = {"| Tempo| Alarmes| Erros| Relés| Reset",
                                   "| Tempo| Relés",
                                   "Motivo Gravação",
                                   "255/255/255",
                                   "0xFFFF",
                                   "05/03/24",
                                   "14:05:09",
                                   "vírgula, ponto; aspas \"x\""};
    static const int16_t kIntegers[] = {-32768, 32767, 0, -1, 255, 1};
    static const int32_t kLongs[] = {std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max(),
                                     -32768,
                                     65535,
                                     0,
                                     305441741};
    static const double kDoubles[] = {6553.5, 655.35, -0.1, -3276.8, 0.0, 25.3, 12.34, 3276.7};
    size_t k = row * 7 + column;
    if (c.type.rfind("Text", 0) == 0) {
        if (k % 11 == 5)
            return std::monostate{}; // a reason text the record did not set
        return std::string(kTexts[k % std::size(kTexts)]);
    }
    if (c.type == "Integer")
        return kIntegers[k % std::size(kIntegers)];
    if (c.type == "Long Integer")
        return kLongs[k % std::size(kLongs)];
    return kDoubles[k % std::size(kDoubles)];
}

inline std::vector<ValueRow> sampleRows(const Schema& schema, size_t count)
{
    std::vector<ValueRow> rows;
    for (size_t r = 0; r < count; ++r) {
        ValueRow row;
        for (size_t c = 0; c < schema.size(); ++c)
            row.push_back(sampleValue(schema[c], r, c));
        rows.push_back(std::move(row));
    }
    return rows;
}

// The table-clearing routine of the downloads: every step's error ignored.
inline void clearTable(mdb::Recordset& rs)
{
    auto quietly = [](auto step) {
        try {
            step();
        } catch (const mdb::Error&) {
        }
    };
    quietly([&] { rs.MoveFirst(); });
    for (int guard = 0; guard < 1000000; ++guard) {
        bool atEnd = true;
        quietly([&] { atEnd = rs.Eof(); });
        if (atEnd)
            return;
        quietly([&] { rs.Delete(); });
        quietly([&] { rs.MoveLast(); });
        quietly([&] { rs.MoveFirst(); });
    }
}

inline void addRow(mdb::Recordset& rs, const Schema& schema, const ValueRow& row)
{
    rs.AddNew();
    for (size_t c = 0; c < schema.size(); ++c)
        if (!std::holds_alternative<std::monostate>(row[c]))
            rs.Fields(schema[c].name) = row[c];
    rs.Update();
}

// Open, clear, add every row, close: one export into the template at `path`.
inline void
fillTemplate(const std::string& path, const Schema& schema, const std::vector<ValueRow>& rows)
{
    auto db = mdb::dbEngine().OpenDatabase(path, false, false, ";PWD=");
    auto rs = db->OpenRecordset("LOG");
    clearTable(*rs);
    for (const ValueRow& row : rows)
        addRow(*rs, schema, row);
    rs->Close();
    db->Close();
}

// Compares one exported text with the value written; doubles by value, since
// each reader prints them its own way.
inline std::string mismatch(const mdb::Value& written, const TextRow& seen, const std::string& col)
{
    auto it = seen.find(col);
    if (std::holds_alternative<std::monostate>(written))
        return it == seen.end() ? "" : col + ": expected null, saw \"" + it->second + "\"";
    if (it == seen.end())
        return col + ": value missing (null)";
    const std::string& text = it->second;
    if (auto s = std::get_if<std::string>(&written))
        return *s == text ? "" : col + ": expected \"" + *s + "\", saw \"" + text + "\"";
    if (auto i = std::get_if<int16_t>(&written))
        return std::to_string(*i) == text
                   ? ""
                   : col + ": expected " + std::to_string(*i) + ", saw " + text;
    if (auto l = std::get_if<int32_t>(&written))
        return std::to_string(*l) == text
                   ? ""
                   : col + ": expected " + std::to_string(*l) + ", saw " + text;
    double want = std::get<double>(written);
    char* end = nullptr;
    double got = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || std::fabs(got - want) > 1e-9 * (1 + std::fabs(want)))
        return col + ": expected " + std::to_string(want) + ", saw " + text;
    return "";
}

inline std::string rowMismatch(const Schema& schema, const ValueRow& written, const TextRow& seen)
{
    for (size_t c = 0; c < schema.size(); ++c)
        if (std::string m = mismatch(written[c], seen, schema[c].name); !m.empty())
            return m;
    return "";
}

} // namespace mdbcheck::testing
