// What the engine's Windows files share (filestore_win32.cpp,
// copy_win32.cpp): an owned HANDLE, and Win32 error codes sorted the way the
// POSIX layer sorts errno values into Jet's numbers.
#pragma once

#include "mdb/errors.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace mdb::win32file {

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            CloseHandle(m_handle);
        m_handle = handle;
    }
    HANDLE release()
    {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE m_handle;
};

// Nothing is at the path, or a part of it is no folder (ENOENT, ENOTDIR).
bool namesNothing(DWORD error);
// No room left for the bytes (ENOSPC, EDQUOT, EFBIG).
bool diskFull(DWORD error);
// A failed write as Jet reports it: 3026 for a full disk, else 3043.
Error writeError(DWORD error);
bool isFolder(const std::wstring& path);

} // namespace mdb::win32file
