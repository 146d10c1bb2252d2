// A log file as the report reads it: table "LOG" of a file our downloads
// wrote, every column and every row in file order, read through our engine
// opened read-only and shared, so that a file another reader holds open can
// still be read. Which of the two logs it is follows from its columns, not
// from its name: a renamed file is still a log.
#pragma once

#include "mdb/dao.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace report {

enum class LogKind { Data, Reset };

struct LogColumn {
    std::string name;
    int type = 0; // Jet's column type (mdb/format.h)
    bool numeric = false;
};

struct LogTable {
    LogKind kind = LogKind::Data;
    std::vector<LogColumn> columns;
    std::vector<std::vector<mdb::Value>> rows;

    // Position of the column, or -1.
    int column(std::string_view name) const;
};

// Why a file gives no report, in Portuguese, naming nothing: the caller puts
// the file's name before it.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The columns a download writes, in its order: a table holding all of them is
// that log.
const std::vector<std::string>& dataLogColumnNames();
const std::vector<std::string>& resetLogColumnNames();

// Throws ReportError: no such file, not an Access file, damaged, held
// exclusively by another program, protected by a password, or not a log.
LogTable readLogTable(const std::string& path);

// The text a failure of the engine gives the user.
std::string engineFailureReason(const mdb::Error& error);

} // namespace report
