// The engine's files on Windows: pages at their offsets, a full disk, and the
// opens and their share-mode locks, on the templates of the Linux build.
#include "mdb/bytes.h"
#include "mdb/dao.h"
#include "mdb/pageio.h"
#include "winfiles.h"

using namespace mdb;
using wintest::Bytes;

namespace {

std::string linuxTemplate(const char* name)
{
    return wintest::fromLinux(std::string(LOGQVR_LINUX_BIN) + "/" + name);
}

NativeFile openRaw(const std::string& path, DWORD access)
{
    return CreateFileW(win32::widen(path).c_str(),
                       access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr,
                       OPEN_EXISTING,
                       0,
                       nullptr);
}

Bytes pattern(uint8_t seed)
{
    Bytes page(4096);
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<uint8_t>(seed + i * 7);
    return page;
}

TEST(WindowsFileStore, PagesLandAtTheirOffsets)
{
    wintest::TempFolder dir;
    const std::string path = dir.file("pages.mdb");
    wintest::writeFile(path, Bytes(4096 + 10, 0));
    EXPECT_THROW(FilePageStore(openRaw(path, GENERIC_READ), path, true), FormatError);

    wintest::writeFile(path, Bytes(2 * 4096, 0));
    {
        FilePageStore store(openRaw(path, GENERIC_READ | GENERIC_WRITE), path, false);
        store.writePage(1, pattern(1));
        store.writePage(2, pattern(2)); // appends
        EXPECT_EQ(store.pageCount(), 3u);
        Bytes page(4096);
        store.readPage(1, page);
        EXPECT_EQ(page, pattern(1));
        EXPECT_THROW(store.readPage(3, page), FormatError);
        store.sync();
    }
    const Bytes file = wintest::readFile(path);
    ASSERT_EQ(file.size(), 3u * 4096);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4096), Bytes(4096, 0));
    EXPECT_EQ(Bytes(file.begin() + 4096, file.begin() + 8192), pattern(1));
    EXPECT_EQ(Bytes(file.begin() + 8192, file.end()), pattern(2));

    FilePageStore readOnly(openRaw(path, GENERIC_READ), path, true);
    EXPECT_EQ(wintest::jetErrorOf([&] { readOnly.writePage(0, pattern(3)); }), 3027);
}

// Wine passes a write to Linux's /dev/full through, which fails as a full disk.
TEST(WindowsFileStore, FullDiskIsJetsDiskFull)
{
    if (!wintest::underWine())
        GTEST_SKIP() << "needs Wine's view of /dev/full";
    const std::string path = "Z:\\dev\\full";
    NativeFile full = openRaw(path, GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    FilePageStore store(full, path, false);
    ASSERT_EQ(store.pageCount(), 0u);
    EXPECT_EQ(wintest::jetErrorOf([&] { store.writePage(0, pattern(0)); }), 3026);
    EXPECT_EQ(store.pageCount(), 0u);
}

class WindowsOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir.file("LOG_RESET_QVR.mdb");
        ASSERT_TRUE(CopyFileW(win32::widen(linuxTemplate("LOG_RESET_QVR.mdb")).c_str(),
                              win32::widen(m_path).c_str(),
                              TRUE))
            << "no template from the Linux build at " << linuxTemplate("LOG_RESET_QVR.mdb");
    }
    std::unique_ptr<Database> open(bool exclusive = false, bool readOnly = false)
    {
        return dbEngine().OpenDatabase(m_path, exclusive, readOnly, ";PWD=");
    }
    int openError(bool exclusive = false, bool readOnly = false)
    {
        return wintest::jetErrorOf([&] { open(exclusive, readOnly); });
    }
    wintest::TempFolder m_dir;
    std::string m_path;
};

TEST_F(WindowsOpen, PathsThatNameNoFileAre3024)
{
    for (const std::string& path : {m_dir.file("missing.mdb"),
                                    m_dir.file("no-folder\\x.mdb"),
                                    m_dir.path(),
                                    std::string(),
                                    std::string("C:\\bad<name>.mdb")}) {
        EXPECT_EQ(
            wintest::jetErrorOf([&] { dbEngine().OpenDatabase(path, false, false, ";PWD="); }),
            3024)
            << path;
    }
    wintest::writeFile(m_dir.file("odd.mdb"), Bytes(3 * 4096 + 1, 0));
    EXPECT_EQ(wintest::jetErrorOf(
                  [&] { dbEngine().OpenDatabase(m_dir.file("odd.mdb"), false, false, ""); }),
              3343);
}

// Jet's rule, kept by share modes: shared opens go together, an exclusive
// one goes alone.
TEST_F(WindowsOpen, ExclusiveAndSharedOpensExcludeEachOther)
{
    {
        auto shared = open();
        auto readOnly = open(false, true);
        EXPECT_EQ(openError(true), 3051);
        auto rs = readOnly->OpenRecordset("LOG");
        rs->AddNew();
        EXPECT_EQ(wintest::jetErrorOf([&] { rs->Update(); }), 3027);
        // Held open, the template can be neither removed nor renamed.
        EXPECT_FALSE(DeleteFileW(win32::widen(m_path).c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    {
        auto exclusive = open(true);
        EXPECT_EQ(openError(), 3051);
        EXPECT_EQ(openError(false, true), 3051);
        exclusive->Close();
        EXPECT_EQ(openError(), 0);
    }
}

// Many pages written and read back through the Windows file layer, twice
// over, as two downloads fill the same template.
TEST_F(WindowsOpen, RowsWrittenAreReadBackAfterReopening)
{
    for (int cycle = 0; cycle < 2; ++cycle) {
        auto db = open();
        auto rs = db->OpenRecordset("LOG");
        try {
            rs->MoveFirst();
        } catch (const Error&) {
        }
        while (!rs->Eof()) {
            rs->Delete();
            try {
                rs->MoveFirst();
            } catch (const Error&) {
            }
        }
        for (int n = 0; n < 2000; ++n) {
            rs->AddNew();
            rs->Fields("Versao Firmware") = int32_t{n + 1000 * cycle};
            rs->Fields("PC") = std::string("0x0001 | 2A3C ção");
            rs->Update();
        }
        db->Close();
    }
    auto db = open(false, true);
    auto rs = db->OpenRecordset("LOG");
    rs->MoveFirst();
    EXPECT_EQ(std::get<int32_t>(rs->Fields("Versao Firmware").value()), 1000);
    EXPECT_EQ(std::get<std::string>(rs->Fields("PC").value()), "0x0001 | 2A3C ção");
    rs->MoveLast();
    EXPECT_EQ(std::get<int32_t>(rs->Fields("Versao Firmware").value()), 2999);
}

} // namespace
