// A download killed in the middle of writing: every row whose Update had
// returned must still be readable, and the file must open again.
#include "checker.h"
#include "enginefill.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace mdbcheck;
using namespace mdbcheck::testing;

namespace {

constexpr int kMaxRows = 4000;

// Child side: fill the template and report each returned Update on the pipe.
[[noreturn]] void writeUntilKilled(const std::string& file, const Schema& schema, int pipeFd)
{
    try {
        auto db = mdb::dbEngine().OpenDatabase(file, false, false, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        clearTable(*rs);
        auto rows = sampleRows(schema, 1);
        for (int32_t n = 0; n < kMaxRows; ++n) {
            ValueRow row = rows[0];
            row[0] = std::string("row ") + std::to_string(n); // "Data" names the row
            addRow(*rs, schema, row);
            if (::write(pipeFd, &n, sizeof n) != sizeof n)
                ::_exit(3);
        }
        rs->Close();
        db->Close();
    } catch (...) {
        ::_exit(2);
    }
    ::_exit(0);
}

// Parent side: how many Updates the child saw return before it died.
int confirmedRows(int pipeFd)
{
    int32_t last = -1;
    int32_t n;
    while (::read(pipeFd, &n, sizeof n) == sizeof n)
        last = n;
    return last + 1;
}

TEST(KillDuringWrite, ConfirmedRowsSurvive)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    std::string from = templateFile("LOG_QVR.mdb");
    ASSERT_TRUE(std::filesystem::exists(from)) << from << " was not generated";
    Schema schema = mdbSchema(referenceFile("jackcess-LOG_QVR.mdb"), "LOG");

    for (int attempt = 0; attempt < 20; ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        TempDir dir;
        std::string file = dir.copyIn(from, "LOG_QVR.mdb");
        // Every other run starts from a template still holding a previous
        // export, so some kills land inside the clearing.
        if (attempt % 2 == 1)
            fillTemplate(file, schema, sampleRows(schema, 600));
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            writeUntilKilled(file, schema, fds[1]);
        }
        ::close(fds[1]);
        // From before the first row to well into the run.
        std::this_thread::sleep_for(std::chrono::microseconds(500 + attempt * attempt * 250));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        int confirmed = confirmedRows(fds[0]);
        ::close(fds[0]);
        std::printf("attempt %d: killed after %d confirmed rows\n", attempt, confirmed);

        auto findings = checkFile(file);
        for (const Finding& f : findings)
            EXPECT_FALSE(f.fatal) << describe(f);

        auto exported = mdbExport(file, "LOG");
        std::map<std::string, int> newRows; // rows this run wrote, by name
        for (const TextRow& r : exported)
            if (r.count("Data") && r.at("Data").rfind("row ", 0) == 0)
                ++newRows[r.at("Data")];
        for (int n = 0; n < confirmed; ++n)
            ASSERT_EQ(newRows["row " + std::to_string(n)], 1) << "row " << n;
        EXPECT_LE(newRows.size(), size_t(confirmed) + 1);

        // The engine opens what the crash left, and a new export works on it.
        EXPECT_NO_THROW({
            auto db = mdb::dbEngine().OpenDatabase(file, false, false, ";PWD=");
            auto rs = db->OpenRecordset("LOG");
            rs->Close();
            db->Close();
        });
        EXPECT_NO_THROW(fillTemplate(file, schema, sampleRows(schema, 3)));
        EXPECT_EQ(mdbExport(file, "LOG").size(), 3u);
        EXPECT_EQ(mdbCount(file, "LOG"), 3);
        auto after = checkFile(file);
        EXPECT_FALSE(anyFatal(after));
    }
}

} // namespace
