#include "mdb/win32file.h"

namespace mdb::win32file {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's winerror.h lacks.
constexpr DWORD kErrorDiskQuotaExceeded = 1295;

} // namespace

bool namesNothing(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return true;
    default:
        return false;
    }
}

bool diskFull(DWORD error)
{
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ||
           error == kErrorDiskQuotaExceeded || error == ERROR_FILE_TOO_LARGE;
}

Error writeError(DWORD error)
{
    return jetError(diskFull(error) ? kErrDiskFull : kErrDiskIoWrite);
}

bool isFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace mdb::win32file
