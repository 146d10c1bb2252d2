#include "logexport/exportdatabase.h"

#include "core/clock.h"
#include "core/errors.h"
#include "mdb/copy.h"
#include "mdb/dao.h"

#include <cstdio>

namespace logexport {

namespace {

template <class Call> void engineCall(Call call)
{
    try {
        call();
    } catch (const mdb::Error& e) {
        throw RuntimeError(e.number(), e.description());
    }
}

// A move that fails leaves the recordset where it was; the loop's Eof check
// decides what comes next.
template <class Move> void tryMove(Move move)
{
    try {
        move();
    } catch (const mdb::Error&) {
    }
}

} // namespace

ExportDatabase::ExportDatabase(mdb::DBEngine& engine) : m_engine(engine) {}

ExportDatabase::~ExportDatabase()
{
    closeQuietly();
}

void ExportDatabase::open(const std::string& path)
{
    closeQuietly();
    engineCall([&] {
        m_db = m_engine.OpenDatabase(path, false, false, ";PWD=");
        m_rs = m_db->OpenRecordset("LOG");
    });
}

void ExportDatabase::clearTable()
{
    engineCall([&] { logexport::clearTable(*m_rs); });
}

void ExportDatabase::addRow(const std::function<void(mdb::Recordset&)>& fill)
{
    engineCall([&] {
        m_rs->AddNew();
        fill(*m_rs);
        m_rs->Update();
    });
}

void clearTable(mdb::Recordset& rs)
{
    tryMove([&] { rs.MoveFirst(); });
    while (!rs.Eof()) {
        rs.Delete();
        // Back onto a valid row after the deletion.
        tryMove([&] { rs.MoveLast(); });
        tryMove([&] { rs.MoveFirst(); });
    }
}

void ExportDatabase::close()
{
    engineCall([&] {
        if (m_rs) {
            auto rs = std::move(m_rs);
            rs->Close();
        }
        if (m_db) {
            auto db = std::move(m_db);
            db->Close();
        }
    });
}

void ExportDatabase::closeQuietly() noexcept
{
    try {
        if (m_rs)
            m_rs->Close();
    } catch (const std::exception&) {
    }
    m_rs.reset();
    try {
        if (m_db)
            m_db->Close();
    } catch (const std::exception&) {
    }
    m_db.reset();
}

std::string ExportDatabase::closeAndCopy(const std::string& templatePath,
                                         const std::string& folder,
                                         const std::string& marker,
                                         const std::string& address,
                                         const Clock& clock,
                                         const std::string& suffix)
{
    close();
    const std::string name = outputName(folder, marker, address, clock.now(), suffix);
    engineCall([&] { mdb::copyDatabase(templatePath, name); });
    return name;
}

std::string outputName(const std::string& folder,
                       const std::string& marker,
                       const std::string& address,
                       const std::tm& when,
                       const std::string& suffix)
{
    char stamp[96];
    std::snprintf(stamp,
                  sizeof stamp,
                  "_%04d_%02d_%02d_%02d_%02d_%02d",
                  when.tm_year + 1900,
                  when.tm_mon + 1,
                  when.tm_mday,
                  when.tm_hour,
                  when.tm_min,
                  when.tm_sec);
    return folder + marker + address + stamp + suffix + ".mdb";
}

} // namespace logexport
