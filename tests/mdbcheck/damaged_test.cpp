// Damaged and foreign files: opening them through the engine ends in
// mdb::Error, never a crash, and the checker survives them too.
#include "checker.h"
#include "enginefill.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace mdbcheck;
using namespace mdbcheck::testing;

namespace {

enum class Outcome { Opened, EngineError, OtherError };

// Opens the file and tries one export step; reports how it ended.
Outcome tryExport(const std::string& file, std::string& message)
{
    try {
        auto db = mdb::dbEngine().OpenDatabase(file, false, false, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        rs->AddNew();
        rs->Fields("Data") = std::string("05/03/24");
        rs->Update();
        rs->Close();
        db->Close();
        return Outcome::Opened;
    } catch (const mdb::Error& e) {
        message = std::to_string(e.number()) + " - " + e.description();
        return Outcome::EngineError;
    } catch (const std::exception& e) {
        message = e.what();
        return Outcome::OtherError;
    }
}

class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string from = templateFile("LOG_QVR.mdb");
        ASSERT_TRUE(std::filesystem::exists(from)) << from << " was not generated";
        m_original = readBytes(from);
        ASSERT_GT(m_original.size(), 3 * jet4::kPageSize);
    }

    std::string write(const Bytes& bytes)
    {
        std::string file = m_dir.file("case" + std::to_string(m_cases++) + ".mdb");
        writeBytes(file, bytes);
        return file;
    }

    TempDir m_dir;
    Bytes m_original;
    int m_cases = 0;
};

TEST_F(DamagedFiles, TruncatedFilesRaiseEngineErrors)
{
    size_t size = m_original.size();
    for (size_t cut : {size_t(0),
                       size_t(1),
                       size_t(100),
                       size_t(4095),
                       size_t(4096),
                       size_t(8192),
                       size_t(3 * 4096 + 17),
                       size / 2,
                       size - 4096,
                       size - 1}) {
        std::string file = write(Bytes(m_original.begin(), m_original.begin() + long(cut)));
        std::string message;
        EXPECT_EQ(tryExport(file, message), Outcome::EngineError)
            << "cut at " << cut << ": " << message;
        EXPECT_FALSE(checkFile(file).empty()) << "cut at " << cut;
    }
}

TEST_F(DamagedFiles, ForeignFilesRaiseEngineErrors)
{
    std::string message;
    std::string text = m_dir.file("notes.mdb");
    writeBytes(text, Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'm', 'd', 'b', '\n'});
    EXPECT_EQ(tryExport(text, message), Outcome::EngineError) << message;

    Bytes pages(5 * jet4::kPageSize, 0xA5);
    EXPECT_EQ(tryExport(write(pages), message), Outcome::EngineError) << message;

    EXPECT_EQ(tryExport(m_dir.file("missing.mdb"), message), Outcome::EngineError) << message;
    EXPECT_EQ(tryExport(m_dir.path(), message), Outcome::EngineError) << message;
    EXPECT_FALSE(checkFile(m_dir.file("missing.mdb")).empty());
}

// Random bytes overwritten at random places (seeded, so a failure repeats):
// the engine may still open a file whose damage it never reads, but it must
// never crash or throw anything but mdb::Error.
TEST_F(DamagedFiles, RandomOverwritesNeverCrash)
{
    std::mt19937 rng(19045);
    int opened = 0;
    for (int round = 0; round < 120; ++round) {
        Bytes bytes = m_original;
        std::uniform_int_distribution<size_t> where(0, bytes.size() - 1);
        int hits = 1 + int(rng() % 40);
        for (int i = 0; i < hits; ++i)
            bytes[where(rng)] = uint8_t(rng());
        std::string file = write(bytes);
        std::string message;
        Outcome outcome = tryExport(file, message);
        EXPECT_NE(outcome, Outcome::OtherError) << "round " << round << ": " << message;
        opened += outcome == Outcome::Opened;
        EXPECT_NO_THROW(checkFile(file)) << "round " << round;
        std::filesystem::remove(file);
    }
    std::printf("%d of 120 randomly damaged files still opened\n", opened);
}

} // namespace
