#include "report/reportfile.h"

#include "core/pathseparator.h"
#include "report/csvwriter.h"
#include "report/filestamp.h"
#include "report/htmlreport.h"
#include "report/logtable.h"
#include "report/outputfile.h"
#include "report/reportmodel.h"

namespace report {

namespace {

std::string failure(const std::string& mdbPath, const std::string& why)
{
    return "Não foi possível gerar o relatório de \"" + mdbPath + "\": " + why;
}

std::string withoutExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

} // namespace

std::string besideLog(const std::string& mdbPath, const std::string& extension)
{
    return withoutExtension(mdbPath) + extension;
}

std::string reportFileName(const std::string& mdbPath, const std::string& extension)
{
    return withoutExtension(baseName(mdbPath)) + extension;
}

Written writeReport(const std::string& mdbPath,
                    const std::string& htmlPath,
                    const std::optional<std::string>& csvPath)
{
    try {
        const LogTable table = readLogTable(mdbPath);
        writeWholeFile(htmlPath, htmlReport(table, buildModel(mdbPath, table)));
        if (csvPath)
            writeWholeFile(*csvPath, csvText(table));
        return {htmlPath, csvPath};
    } catch (const ReportError& e) {
        throw ReportError(failure(mdbPath, e.what()));
    }
}

void writeCsv(const std::string& mdbPath, const std::string& csvPath)
{
    try {
        writeWholeFile(csvPath, csvText(readLogTable(mdbPath)));
    } catch (const ReportError& e) {
        throw ReportError(failure(mdbPath, e.what()));
    }
}

Written writeReportBesideOrIn(const std::string& mdbPath, const std::string& fallbackFolder)
{
    std::string page;
    try {
        const LogTable table = readLogTable(mdbPath);
        page = htmlReport(table, buildModel(mdbPath, table));
    } catch (const ReportError& e) {
        throw ReportError(failure(mdbPath, e.what()));
    }
    const std::string beside = besideLog(mdbPath, ".html");
    try {
        writeWholeFile(beside, page);
        return {beside, std::nullopt};
    } catch (const ReportError&) {
        // A folder the user may only read (a CD, another user's folder, a
        // program's installed folder): the page goes to the user's own.
    }
    const std::string own = fallbackFolder + kPathSeparator + reportFileName(mdbPath, ".html");
    try {
        if (!makeFolders(fallbackFolder))
            throw ReportError("não foi possível criar a pasta \"" + fallbackFolder + "\".");
        writeWholeFile(own, page);
    } catch (const ReportError& e) {
        throw ReportError(failure(mdbPath, e.what()));
    }
    return {own, std::nullopt};
}

} // namespace report
