// The report as one HTML page in UTF-8 that needs nothing but a browser: the
// header, counts and summaries written here as plain HTML (so they print
// without the script), the rows as JSON for the page's script, which draws
// the charts and the table and makes the CSV; the chart library and its
// licence inline. A content security policy forbids the page any request.
// The same log gives the same bytes on every system.
#pragma once

#include "report/logtable.h"
#include "report/reportmodel.h"

#include <string>

namespace report {

std::string htmlReport(const LogTable& table, const ReportModel& model);

// The rows as the script reads them: columns, one array per column (texts
// through a dictionary), and per row its time, reasons and CRC check.
std::string pageData(const LogTable& table, const ReportModel& model);

std::string htmlEscape(std::string_view text);

// A JSON string of UTF-8 text, quotes included; safe inside a script element.
std::string jsonString(std::string_view text);

} // namespace report
