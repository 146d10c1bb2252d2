// Log files for the report's tests, written as our downloads write them:
// fresh templates from the generator, rows through the download's own row
// writers, device words made by hand or by the simulator.
#pragma once

#include "logexport/datalogrecord.h"
#include "logexport/resetlogentry.h"
#include "mdb/dao.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace reporttest {

// A record of the given moment and reasons, all else 0 but TAMB, with the
// CRC the device would give it (the simulator's own CRC).
logexport::DataLogWords
record(int day, int month, int year, int h, int m, int s, uint8_t reasons, int16_t tambTenths = 0);

class LogFiles : public ::testing::Test {
protected:
    LogFiles();
    ~LogFiles() override;
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    const std::string& dir() const { return m_dir; }
    // The template under `name`, filled with these records in this order.
    std::string dataLog(const std::string& name,
                        const std::vector<logexport::DataLogWords>& records);
    std::string resetLog(const std::string& name,
                         const std::vector<logexport::ResetLogWords>& entries);
    std::vector<std::string> folderContents() const;

private:
    std::string fill(const std::string& name,
                     const char* templateName,
                     std::size_t rows,
                     const std::function<void(mdb::Recordset&, std::size_t)>& write);
    std::string m_dir;
};

} // namespace reporttest
