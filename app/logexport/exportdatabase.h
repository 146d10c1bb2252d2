// The template database of one export: opened in place, emptied, filled row
// by row, closed, then copied under a dated name into the user's folder.
// Engine errors leave this class as RuntimeError with the engine's number and
// description, so that a download tells them as it tells any other error.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>

class Clock;

namespace mdb {
class DBEngine;
class Database;
class Recordset;
} // namespace mdb

namespace logexport {

inline constexpr const char* kDataTemplate = "/LOG_QVR.mdb";
inline constexpr const char* kResetTemplate = "/LOG_RESET_QVR.mdb";
inline constexpr const char* kDataMarker = "LOG_QVR_END";
inline constexpr const char* kResetMarker = "LOG_RESET_QVR_END";
// Before ".mdb" in the name of a copy of a download that stopped early, so
// that it can never pass for a whole one.
inline constexpr const char* kPartialSuffix = "_PARCIAL";

class ExportDatabase {
public:
    explicit ExportDatabase(mdb::DBEngine& engine);
    // Closes whatever is still open, ignoring errors: the rows already stored
    // stay in the template.
    ~ExportDatabase();
    ExportDatabase(const ExportDatabase&) = delete;
    ExportDatabase& operator=(const ExportDatabase&) = delete;

    // Shared, read-write, empty password; then its table "LOG".
    void open(const std::string& path);
    // clearTable() on the open table.
    void clearTable();
    // One stored row: AddNew, `fill` assigns the columns, Update.
    void addRow(const std::function<void(mdb::Recordset&)>& fill);
    // Closes the recordset, then the database; only what is still open.
    void close();
    // As close(), for error paths: a second error cannot be reported anyway.
    void closeQuietly() noexcept;
    // The end of a good export: close, take the date and time once, then copy
    // the template to outputName() of them; returns that name. The copy is
    // made through a temporary file, so a failed one leaves no output behind.
    std::string closeAndCopy(const std::string& templatePath,
                             const std::string& folder,
                             const std::string& marker,
                             const std::string& address,
                             const Clock& clock,
                             const std::string& suffix = "");

private:
    mdb::DBEngine& m_engine;
    std::unique_ptr<mdb::Database> m_db;
    std::unique_ptr<mdb::Recordset> m_rs;
};

// Deletes every row. A move that fails is harmless (an empty table has no
// first row, nor has a table after its last deletion) and is ignored; a row
// that cannot be deleted raises mdb::Error, since an export that went on
// would pass the old rows off as new.
void clearTable(mdb::Recordset& rs);

// folder + marker + address + "_yyyy_mm_dd_hh_mm_ss" + suffix + ".mdb"; the
// folder text is used as typed, so it must end with the separator.
std::string outputName(const std::string& folder,
                       const std::string& marker,
                       const std::string& address,
                       const std::tm& when,
                       const std::string& suffix = "");

} // namespace logexport
