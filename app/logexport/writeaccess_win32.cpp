#include "logexport/writeaccess.h"

#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace logexport {

namespace {

// Opening for writing is the question itself; another program that holds the
// file open for writing too would not stop our engine either.
bool opened(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return true;
}

} // namespace

bool mayWriteFile(const std::string& path)
{
    const std::wstring name = win32::widen(path);
    if (name.empty())
        return false;
    return opened(CreateFileW(name.c_str(),
                              GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr,
                              OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL,
                              nullptr));
}

bool mayWriteFolder(const std::string& folder)
{
    const std::wstring name = win32::widen(folder);
    if (name.empty())
        return false;
    // A file of our own that the system removes when it is closed: only
    // making one shows whether the folder's access list lets us.
    const std::wstring probe =
        name + L"\\.logqvr-probe-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const HANDLE handle = CreateFileW(probe.c_str(),
                                      GENERIC_WRITE,
                                      0,
                                      nullptr,
                                      CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(handle);
    return true;
}

} // namespace logexport
