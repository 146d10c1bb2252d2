// Making a report of one file: read the log, write the page (and the CSV when
// asked) in one step each. A file that gives no report ends in a ReportError
// whose text names the file and says why, and nothing is written.
#pragma once

#include <optional>
#include <string>

namespace report {

// The name beside the log with another extension: "x/LOG.mdb" -> "x/LOG.html".
std::string besideLog(const std::string& mdbPath, const std::string& extension);

// The report's file name alone, for a folder of one's own.
std::string reportFileName(const std::string& mdbPath, const std::string& extension);

struct Written {
    std::string html;
    std::optional<std::string> csv;
};

// Writes the page at htmlPath and, with csvPath, the CSV of every row.
// Throws ReportError: "Não foi possível gerar o relatório de "<mdbPath>": <why>".
Written writeReport(const std::string& mdbPath,
                    const std::string& htmlPath,
                    const std::optional<std::string>& csvPath = std::nullopt);

// The CSV of every row alone, at csvPath. Throws ReportError as writeReport.
void writeCsv(const std::string& mdbPath, const std::string& csvPath);

// Beside the log when its folder may be written, else in fallbackFolder
// (made when needed), under the same name.
Written writeReportBesideOrIn(const std::string& mdbPath, const std::string& fallbackFolder);

} // namespace report
