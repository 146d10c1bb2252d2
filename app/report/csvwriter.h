// A log's rows as a CSV file that a spreadsheet set to Portuguese opens as it
// is: ";" between fields, a decimal comma, UTF-8 with a byte-order mark, CRLF
// line ends, the column names first, and a text quoted when it holds ";",
// '"' or a line break. The page's "Baixar CSV" writes the same bytes.
#pragma once

#include "report/logtable.h"

#include <string>
#include <vector>

namespace report {

// The given rows (positions in table.rows), or all of them.
std::string csvText(const LogTable& table, const std::vector<std::size_t>& rows);
std::string csvText(const LogTable& table);

std::string csvField(const std::string& text);

} // namespace report
