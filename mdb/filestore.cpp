// Database files on POSIX systems: whole pages with pread/pwrite, fsync, and
// an advisory flock for as long as the file is open.
#include "mdb/pageio.h"

#include "mdb/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mdb {

using namespace jet4;

int64_t FilePageStore::fileSize() const
{
    struct stat st {};
    if (fstat(m_file, &st) != 0)
        throw jetError(kErrDiskIoRead);
    return st.st_size;
}

void FilePageStore::closeFile() noexcept
{
    ::close(m_file);
}

void FilePageStore::readWhole(uint32_t page, std::span<uint8_t> out) const
{
    std::size_t done = 0;
    while (done < kPageSize) {
        ssize_t n = ::pread(m_file,
                            out.data() + done,
                            kPageSize - done,
                            static_cast<off_t>(page) * static_cast<off_t>(kPageSize) +
                                static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw jetError(kErrDiskIoRead);
        done += static_cast<std::size_t>(n);
    }
}

void FilePageStore::writeWhole(uint32_t page, std::span<const uint8_t> data)
{
    std::size_t done = 0;
    while (done < kPageSize) {
        ssize_t n = ::pwrite(m_file,
                             data.data() + done,
                             kPageSize - done,
                             static_cast<off_t>(page) * static_cast<off_t>(kPageSize) +
                                 static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || n == 0) {
            int e = n < 0 ? errno : ENOSPC;
            // A half-appended page would break the whole-pages rule for the
            // next open; cut it off again.
            if (page == m_pageCount) {
                [[maybe_unused]] int rc =
                    ftruncate(m_file, static_cast<off_t>(page) * static_cast<off_t>(kPageSize));
            }
            throw jetError(e == ENOSPC || e == EDQUOT || e == EFBIG ? kErrDiskFull
                                                                    : kErrDiskIoWrite);
        }
        done += static_cast<std::size_t>(n);
    }
}

void FilePageStore::flush()
{
    if (::fsync(m_file) != 0)
        throw jetError(errno == ENOSPC ? kErrDiskFull : kErrDiskIoWrite);
}

std::unique_ptr<FilePageStore> openFileStore(const std::string& path, bool exclusive, bool readOnly)
{
    int fd = ::open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == EISDIR || path.empty())
            throw jetError(kErrFileNotFound, path);
        throw jetError(kErrCannotOpen, path);
    }
    // A folder opens for reading; it is still no file.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw jetError(kErrFileNotFound, path);
    }
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        throw jetError(kErrCannotOpen, path);
    }
    return std::make_unique<FilePageStore>(fd, path, readOnly);
}

} // namespace mdb
