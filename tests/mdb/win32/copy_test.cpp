// copyDatabase on Windows: replacing, failures that leave nothing, names
// beyond ASCII, destinations held open, and the sweep of temporaries that
// killed copies left.
#include "mdb/copy.h"
#include "mdb/dao.h"
#include "staletemporaries.h"
#include "winfiles.h"

using namespace mdb;
using wintest::Bytes;

namespace {

class WindowsCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_template = m_source.file("LOG_RESET_QVR.mdb");
        const std::string linux =
            wintest::fromLinux(std::string(LOGQVR_LINUX_BIN) + "/LOG_RESET_QVR.mdb");
        ASSERT_TRUE(CopyFileW(win32::widen(linux).c_str(), win32::widen(m_template).c_str(), TRUE))
            << "no template from the Linux build at " << linux;
    }
    wintest::TempFolder m_source;
    wintest::TempFolder m_out;
    std::string m_template;
};

TEST_F(WindowsCopy, ReplacesTheDestinationAndLeavesNothingElse)
{
    const std::string target = m_out.file("LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb");
    wintest::writeFile(target, Bytes(10, 'x'));
    copyDatabase(m_template, target);
    copyDatabase(m_template, target); // the same second, the same name
    EXPECT_EQ(wintest::readFile(target), wintest::readFile(m_template));
    EXPECT_EQ(wintest::entries(m_out.path()),
              std::vector<std::wstring>{L"LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb"});
}

TEST_F(WindowsCopy, FailuresKeepTheOldFileAndLeaveNoTemporary)
{
    const std::string target = m_out.file("kept.mdb");
    wintest::writeFile(target, Bytes(10, 'x'));
    EXPECT_EQ(wintest::jetErrorOf([&] { copyDatabase(m_source.file("gone.mdb"), target); }), 3024);
    EXPECT_EQ(wintest::jetErrorOf([&] { copyDatabase(m_template, m_out.file("nope\\x.mdb")); }),
              3044);
    EXPECT_EQ(wintest::jetErrorOf([&] { copyDatabase(m_template, m_out.path()); }), 3044);
    // A destination another program holds open is not replaced under it.
    HANDLE held = CreateFileW(win32::widen(target).c_str(),
                              GENERIC_READ,
                              FILE_SHARE_READ,
                              nullptr,
                              OPEN_EXISTING,
                              0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(wintest::jetErrorOf([&] { copyDatabase(m_template, target); }), 3051);
    CloseHandle(held);
    // Nor is a template copied while someone may be writing it.
    {
        auto db = dbEngine().OpenDatabase(m_template, false, false, ";PWD=");
        EXPECT_EQ(wintest::jetErrorOf([&] { copyDatabase(m_template, target); }), 3051);
    }
    EXPECT_EQ(wintest::readFile(target), Bytes(10, 'x'));
    EXPECT_EQ(wintest::entries(m_out.path()), std::vector<std::wstring>{L"kept.mdb"});
}

// Folder and file names arrive as UTF-8 and must reach the disk as the same
// characters; either separator may end the folder the user typed.
TEST_F(WindowsCopy, NamesBeyondAsciiReachTheDiskUnchanged)
{
    const std::string folder = m_out.file("Relat\xC3\xB3rios \xE2\x82\xAC");
    ASSERT_TRUE(CreateDirectoryW(win32::widen(folder).c_str(), nullptr));
    copyDatabase(m_template, folder + "\\Reset \xC3\xA7\xC3\xA3o.mdb");
    copyDatabase(m_template, folder + "/LOG_RESET_QVR_END1.mdb");
    EXPECT_EQ(wintest::entries(m_out.path()), std::vector<std::wstring>{L"Relat\u00f3rios \u20ac"});
    EXPECT_EQ(wintest::entries(folder + "\\"),
              (std::vector<std::wstring>{L"LOG_RESET_QVR_END1.mdb", L"Reset \u00e7\u00e3o.mdb"}));
    EXPECT_EQ(wintest::readFile(folder + "\\Reset \xC3\xA7\xC3\xA3o.mdb"),
              wintest::readFile(m_template));
    EXPECT_EQ(wintest::jetErrorOf([&] { copyDatabase(m_template, folder + "\\bad \xC3.mdb"); }),
              3044);
}

// The id of a process that has exited and is no longer referenced.
DWORD idOfAnExitedProcess()
{
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system, length) + L"\\cmd.exe\" /c exit 0";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr,
                        command.data(),
                        nullptr,
                        nullptr,
                        FALSE,
                        CREATE_NO_WINDOW,
                        nullptr,
                        nullptr,
                        &startup,
                        &process))
        return 0;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}

void setAgeMinutes(const std::string& path, int minutes)
{
    HANDLE file = CreateFileW(win32::widen(path).c_str(),
                              FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(minutes) * 60 * 10'000'000;
    FILETIME then{t.LowPart, t.HighPart};
    EXPECT_TRUE(SetFileTime(file, nullptr, &then, &then)) << path;
    CloseHandle(file);
}

// A copy killed before its rename leaves ".<name>.<pid>.<n>.tmp" behind. The
// next copy into the folder removes such files once their writer is gone,
// and nothing that could still be written, is open, or is not a plain file.
TEST_F(WindowsCopy, RemovesTemporariesOfGoneWritersOnly)
{
    const DWORD exited = idOfAnExitedProcess();
    ASSERT_NE(exited, 0u);
    const std::string gone = std::to_string(exited);
    const std::string alive = std::to_string(GetCurrentProcessId());
    std::vector<staletemp::Planted> planted = staletemp::plantedTemporaries(gone, alive);
    planted.push_back({".LOG_QVR_END1_2024_03_05_14_07_30.mdb." + gone + ".2.tmp",
                       staletemp::Kind::OpenFile,
                       60,
                       true});
    HANDLE held = INVALID_HANDLE_VALUE;
    for (const staletemp::Planted& p : planted) {
        const std::string path = m_out.file(p.name);
        if (p.kind == staletemp::Kind::Folder)
            ASSERT_TRUE(CreateDirectoryW(win32::widen(path).c_str(), nullptr));
        else
            wintest::writeFile(path, Bytes(100, 'x'));
        setAgeMinutes(path, p.ageMinutes);
        if (p.kind == staletemp::Kind::OpenFile)
            held = CreateFileW(win32::widen(path).c_str(),
                               GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr,
                               OPEN_EXISTING,
                               0,
                               nullptr);
    }
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string target = "LOG_RESET_QVR_END1_2024_03_05_14_08_00.mdb";
    copyDatabase(m_template, m_out.file(target));
    CloseHandle(held);

    std::vector<std::wstring> expected;
    for (const std::string& name : staletemp::survivors(planted, target))
        expected.push_back(win32::widen(name));
    EXPECT_EQ(wintest::entries(m_out.path()), expected);
}

} // namespace
