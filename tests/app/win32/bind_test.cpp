// kestrune.dll bound as the program binds it on Windows: by file name from
// beside the executable, never from the current folder, each export at its
// first call, and the loader's own reason when that fails.
#include "connection/dynamickestrune.h"
#include "winfiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring executableFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path, length);
    return exe.substr(0, exe.find_last_of(L"\\/") + 1);
}

// Runs with another current folder, restored afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder)
    {
        wchar_t saved[MAX_PATH];
        m_saved.assign(saved, GetCurrentDirectoryW(MAX_PATH, saved));
        SetCurrentDirectoryW(win32::widen(folder).c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(m_saved.c_str()); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::wstring m_saved;
};

std::string bindErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const BindError& e) {
        return e.what();
    }
    return "no BindError";
}

TEST(WindowsBinding, TheLibraryBesideTheExecutableBindsWhateverTheCurrentFolder)
{
    wintest::TempFolder elsewhere;
    CurrentFolder current(elsewhere.path());
    DynamicKestrune lib;
    EXPECT_EQ(lib.libraryName(), "kestrune.dll");
    EXPECT_EQ(lib.low(0x3A5), 0xA5u);
    EXPECT_EQ(lib.bit_test(0x100, 8), 1u);
    EXPECT_EQ(lib.crc_calc(0xFFFF, 0x301), 0x2140u);
    EXPECT_EQ(lib.close_comm(), 0) << "nothing open";
}

// A DLL that anybody can drop into the current folder is not the library.
TEST(WindowsBinding, ALibraryInTheCurrentFolderIsNotTaken)
{
    wintest::TempFolder current;
    ASSERT_TRUE(CopyFileW((executableFolder() + L"kestrune.dll").c_str(),
                          win32::widen(current.file("kestrune-planted.dll")).c_str(),
                          TRUE));
    CurrentFolder inIt(current.path());
    DynamicKestrune lib("kestrune-planted.dll");
    const std::string what = bindErrorOf([&] { lib.open_comm(1); });
    EXPECT_EQ(what.rfind("Cannot load the library kestrune-planted.dll for open_comm: ", 0), 0u)
        << what;
    EXPECT_EQ(what.substr(what.size() - 6), " (126)") << "ERROR_MOD_NOT_FOUND: " << what;
    // Every export fails the same way, not just the first one called.
    EXPECT_NE(bindErrorOf([&] { lib.close_comm(); }), "no BindError");
}

// A broken DLL beside the program is the one meant: its own reason is told,
// not "not found" from a search elsewhere.
TEST(WindowsBinding, ABrokenLibraryBesideTheExecutableIsReportedAsSuch)
{
    const std::wstring broken = executableFolder() + L"kestrune-broken.dll";
    wintest::writeFile(win32::narrow(broken), wintest::Bytes(4096, 0x5A));
    DynamicKestrune lib("kestrune-broken.dll");
    const std::string what = bindErrorOf([&] { lib.low(1); });
    DeleteFileW(broken.c_str());
    EXPECT_EQ(what.substr(what.size() - 6), " (193)") << "ERROR_BAD_EXE_FORMAT: " << what;
}

TEST(WindowsBinding, AMissingExportIsNamedWithTheLoadersReason)
{
    // kernel32.dll is found in the system's folder and lacks our exports.
    DynamicKestrune lib("kernel32.dll");
    const std::string what = bindErrorOf([&] { lib.modbus_var(0); });
    EXPECT_EQ(what.rfind("Export modbus_var not found in kernel32.dll: ", 0), 0u) << what;
    EXPECT_EQ(what.substr(what.size() - 6), " (127)") << "ERROR_PROC_NOT_FOUND: " << what;
}

} // namespace
