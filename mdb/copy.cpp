// Copying a closed database on POSIX systems: through a temporary file in the
// destination folder, synced before it is renamed over the destination, so a
// failed copy never leaves a partial file under the final name. A copy killed
// before the rename leaves its temporary behind; the next copy into the
// folder removes it (copytemp.h).
#include "mdb/copy.h"

#include "mdb/copytemp.h"
#include "mdb/errors.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mdb {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

Error writeError(int err)
{
    return jetError(err == ENOSPC || err == EDQUOT || err == EFBIG ? kErrDiskFull
                                                                   : kErrDiskIoWrite);
}

std::string folderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writerGone(pid_t pid)
{
    // EPERM: a process of another user has the pid, perhaps a reused one.
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Best effort: a temporary that cannot be judged or removed stays.
void removeStaleTemporaries(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        auto pid = copytemp::temporaryWriter(entry->d_name);
        struct stat st {};
        if (!pid || ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            now - st.st_mtime < copytemp::kStaleAfterSeconds ||
            !writerGone(static_cast<pid_t>(*pid)))
            continue;
        ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

void copyBytes(int from, int to)
{
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(from, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw jetError(kErrDiskIoRead);
        if (n == 0)
            return;
        ssize_t done = 0;
        while (done < n) {
            ssize_t w = ::write(to, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                throw writeError(w < 0 ? errno : ENOSPC);
            done += w;
        }
    }
}

} // namespace

void copyDatabase(const std::string& from, const std::string& to)
{
    Fd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        throw jetError(errno == ENOENT || errno == ENOTDIR ? kErrFileNotFound : kErrCannotOpen,
                       from);
    std::string folder = folderOf(to);
    struct stat st {};
    if (to.empty() || to.back() == '/' || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw jetError(kErrInvalidPath, to.empty() ? to : folder);

    // Before our own temporary, so that the room they took is there for it.
    removeStaleTemporaries(folder);

    static std::atomic<unsigned> counter{0};
    std::string base = to.substr(to.rfind('/') == std::string::npos ? 0 : to.rfind('/') + 1);
    std::string temp;
    Fd target;
    for (int attempt = 0; target.get() < 0; ++attempt) {
        temp = folder + "/" +
               copytemp::temporaryName(base, static_cast<uint32_t>(::getpid()), counter++);
        target.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (target.get() < 0 && (errno != EEXIST || attempt > 100))
            throw jetError(errno == ENOSPC ? kErrDiskFull : kErrCannotOpen, to);
    }
    try {
        copyBytes(source.get(), target.get());
        if (::fsync(target.get()) != 0)
            throw writeError(errno);
        if (::close(target.release()) != 0)
            throw writeError(errno);
        if (::rename(temp.c_str(), to.c_str()) != 0)
            throw jetError(kErrCannotOpen, to);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    // Make the rename itself durable.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        [[maybe_unused]] int rc = ::fsync(dir.get());
    }
}

} // namespace mdb
