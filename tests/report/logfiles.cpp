#include "logfiles.h"

#include "logexport/exportdatabase.h"
#include "mdb/dao.h"
#include "simulator.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace reporttest {

logexport::DataLogWords
record(int day, int month, int year, int h, int m, int s, uint8_t reasons, int16_t tambTenths)
{
    logexport::DataLogWords w{};
    w[0] = static_cast<uint16_t>(day << 8 | month);
    w[1] = static_cast<uint16_t>(year << 8 | h);
    w[2] = static_cast<uint16_t>(m << 8 | s);
    w[4] = reasons;
    w[5] = static_cast<uint16_t>(tambTenths);
    w[40] = sim::recordCrc(w.data(), 40);
    return w;
}

LogFiles::LogFiles()
{
    char pattern[] = "/tmp/report_test_XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir)
        throw std::runtime_error("no temp folder");
    m_dir = dir;
}

LogFiles::~LogFiles()
{
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

std::string LogFiles::fill(const std::string& name,
                           const char* templateName,
                           std::size_t rows,
                           const std::function<void(mdb::Recordset&, std::size_t)>& write)
{
    const std::string file = path(name);
    fs::copy_file(fs::path(REPORT_TEMPLATE_DIR) / templateName, file);
    logexport::ExportDatabase db(mdb::dbEngine());
    db.open(file);
    for (std::size_t i = 0; i < rows; ++i)
        db.addRow([&](mdb::Recordset& rs) { write(rs, i); });
    db.close();
    return file;
}

std::string LogFiles::dataLog(const std::string& name,
                              const std::vector<logexport::DataLogWords>& records)
{
    return fill(name, "LOG_QVR.mdb", records.size(), [&](mdb::Recordset& rs, std::size_t i) {
        logexport::writeDataLogRow(rs, logexport::decodeDataLog(records[i]));
    });
}

std::string LogFiles::resetLog(const std::string& name,
                               const std::vector<logexport::ResetLogWords>& entries)
{
    return fill(name, "LOG_RESET_QVR.mdb", entries.size(), [&](mdb::Recordset& rs, std::size_t i) {
        logexport::writeResetLogRow(rs, logexport::decodeResetLog(entries[i]));
    });
}

std::vector<std::string> LogFiles::folderContents() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace reporttest
