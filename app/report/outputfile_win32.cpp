// Windows side of outputfile.h: wide names, MoveFileExW over the old file.
#include "report/outputfile.h"

#include "report/writefault.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace report {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? "." : path.substr(0, at);
}

constexpr FaultCode kFaults[] = {
    {ERROR_ACCESS_DENIED, WriteFault::NoPermission},
    {ERROR_WRITE_PROTECT, WriteFault::NoPermission},
    {ERROR_DISK_FULL, WriteFault::DiskFull},
    {ERROR_HANDLE_DISK_FULL, WriteFault::DiskFull},
    {ERROR_PATH_NOT_FOUND, WriteFault::NoFolder},
    {ERROR_FILE_NOT_FOUND, WriteFault::NoFolder},
};

[[noreturn]] void fail(const std::string& path, DWORD error)
{
    throwWriteFault(kFaults, error, path, folderOf(path), win32::errorText(error));
}

} // namespace

void writeWholeFile(const std::string& path, std::string_view bytes)
{
    const std::wstring wide = win32::widen(path);
    if (wide.empty())
        fail(path, ERROR_INVALID_NAME);
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned n = 0; file == INVALID_HANDLE_VALUE && n < 100; ++n) {
        temp = wide + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(n) +
               L".tmp";
        file = CreateFileW(temp.c_str(),
                           GENERIC_WRITE,
                           0,
                           nullptr,
                           CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            fail(path, GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE)
        fail(path, ERROR_FILE_EXISTS);
    DWORD error = 0;
    std::size_t done = 0;
    while (done < bytes.size() && error == 0) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD n = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &n, nullptr) || n == 0)
            error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
        done += n;
    }
    if (!CloseHandle(file) && error == 0)
        error = GetLastError();
    if (error == 0 && !MoveFileExW(temp.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING))
        error = GetLastError();
    if (error != 0) {
        DeleteFileW(temp.c_str());
        fail(path, error);
    }
}

bool makeFolders(const std::string& folder)
{
    const std::wstring wide = win32::widen(folder);
    if (wide.empty())
        return false;
    // Each parent in turn; one that exists already is fine.
    for (std::size_t at = wide.find_first_of(L"\\/", 3);; at = wide.find_first_of(L"\\/", at + 1)) {
        const std::wstring part = wide.substr(0, at);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (at == std::wstring::npos)
            break;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(win32::widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace report
