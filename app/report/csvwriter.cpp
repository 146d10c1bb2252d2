#include "report/csvwriter.h"

#include "report/numbertext.h"
#include "report/reportmodel.h"

#include <numeric>

namespace report {

namespace {

void appendRow(std::string& out, const std::vector<mdb::Value>& row)
{
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (c > 0)
            out += ';';
        if (const std::optional<double> n = number(row[c]))
            out += numberTextComma(*n);
        else
            out += csvField(text(row[c]));
    }
    out += "\r\n";
}

} // namespace

std::string csvField(const std::string& text)
{
    if (text.find_first_of(";\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string csvText(const LogTable& table, const std::vector<std::size_t>& rows)
{
    std::string out = "\xEF\xBB\xBF";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c > 0)
            out += ';';
        out += csvField(table.columns[c].name);
    }
    out += "\r\n";
    for (std::size_t r : rows)
        appendRow(out, table.rows.at(r));
    return out;
}

std::string csvText(const LogTable& table)
{
    std::vector<std::size_t> all(table.rows.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    return csvText(table, all);
}

} // namespace report
