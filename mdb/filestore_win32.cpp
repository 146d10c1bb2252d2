// Database files on Windows: whole pages with ReadFile/WriteFile at the
// offsets an OVERLAPPED gives on a synchronous handle, FlushFileBuffers, and
// the open's share mode as the lock.
#include "mdb/pageio.h"

#include "mdb/errors.h"
#include "mdb/win32file.h"
#include "win32/widetext.h"

namespace mdb {

using namespace jet4;

namespace {

HANDLE handleOf(NativeFile file)
{
    return static_cast<HANDLE>(file);
}

// On a synchronous handle the offset makes the call positioned; it still
// waits for the bytes.
OVERLAPPED at(uint32_t page, std::size_t done)
{
    const uint64_t offset = uint64_t{page} * kPageSize + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

} // namespace

int64_t FilePageStore::fileSize() const
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handleOf(m_file), &size))
        throw jetError(kErrDiskIoRead);
    return size.QuadPart;
}

void FilePageStore::closeFile() noexcept
{
    CloseHandle(handleOf(m_file));
}

void FilePageStore::readWhole(uint32_t page, std::span<uint8_t> out) const
{
    std::size_t done = 0;
    while (done < kPageSize) {
        OVERLAPPED where = at(page, done);
        DWORD n = 0;
        if (!ReadFile(handleOf(m_file),
                      out.data() + done,
                      static_cast<DWORD>(kPageSize - done),
                      &n,
                      &where) ||
            n == 0)
            throw jetError(kErrDiskIoRead);
        done += n;
    }
}

void FilePageStore::writeWhole(uint32_t page, std::span<const uint8_t> data)
{
    std::size_t done = 0;
    while (done < kPageSize) {
        OVERLAPPED where = at(page, done);
        DWORD n = 0;
        const bool written = WriteFile(handleOf(m_file),
                                       data.data() + done,
                                       static_cast<DWORD>(kPageSize - done),
                                       &n,
                                       &where);
        if (!written || n == 0) {
            const DWORD error = written ? ERROR_DISK_FULL : GetLastError();
            // A half-appended page would break the whole-pages rule for the
            // next open; cut it off again.
            if (page == m_pageCount) {
                LARGE_INTEGER end{};
                end.QuadPart = static_cast<LONGLONG>(page) * static_cast<LONGLONG>(kPageSize);
                if (SetFilePointerEx(handleOf(m_file), end, nullptr, FILE_BEGIN))
                    SetEndOfFile(handleOf(m_file));
            }
            throw win32file::writeError(error);
        }
        done += n;
    }
}

void FilePageStore::flush()
{
    if (!FlushFileBuffers(handleOf(m_file)))
        throw win32file::writeError(GetLastError());
}

std::unique_ptr<FilePageStore> openFileStore(const std::string& path, bool exclusive, bool readOnly)
{
    const std::wstring wide = win32::widen(path);
    // The share mode is the lock, and unlike flock every program is held to
    // it: an exclusive open shares nothing, a shared one reading and writing
    // with other shared openers. Neither lets the file be renamed or deleted
    // while it is open.
    HANDLE file = CreateFileW(wide.c_str(),
                              GENERIC_READ | (readOnly ? 0 : GENERIC_WRITE),
                              exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr,
                              OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder is refused as a held file is (ERROR_ACCESS_DENIED).
        if (wide.empty() || win32file::namesNothing(error) || win32file::isFolder(wide))
            throw jetError(kErrFileNotFound, path);
        throw jetError(kErrCannotOpen, path);
    }
    return std::make_unique<FilePageStore>(file, path, readOnly);
}

} // namespace mdb
