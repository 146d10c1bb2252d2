// Copying a closed database: through a temporary file in the destination
// folder, synced before it is renamed over the destination, so a failed copy
// never leaves a partial file under the final name. A copy killed before the
// rename leaves its temporary behind; the next copy into the folder removes it.
#include "mdb/dao.h"

#include "mdb/errors.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
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

// ".<base>.<pid>.<counter>.tmp": hidden, and naming the process that writes it.
std::string temporaryName(const std::string& base, pid_t pid, unsigned counter)
{
    return "." + base + "." + std::to_string(pid) + "." + std::to_string(counter) + ".tmp";
}

// A number as temporaryName() prints a pid or a counter: digits, no leading
// zero, at most 2^32 - 1.
std::optional<uint32_t> printedNumber(std::string_view text)
{
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(n);
}

// The writer of a name temporaryName() made; nothing for any other name.
std::optional<pid_t> temporaryWriter(std::string_view name)
{
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() <= kSuffix.size() || name[0] != '.' || !name.ends_with(kSuffix))
        return std::nullopt;
    name.remove_suffix(kSuffix.size());
    auto counterDot = name.rfind('.');
    if (counterDot == std::string_view::npos || !printedNumber(name.substr(counterDot + 1)))
        return std::nullopt;
    name = name.substr(0, counterDot);
    auto pidDot = name.rfind('.');
    if (pidDot == std::string_view::npos || pidDot < 2)
        return std::nullopt; // no base name before the pid
    // Never 0 or negative: kill() would take those for process groups.
    auto pid = printedNumber(name.substr(pidDot + 1));
    if (!pid || *pid == 0 || *pid > INT32_MAX)
        return std::nullopt;
    return static_cast<pid_t>(*pid);
}

// A copy writes its temporary without pause until the rename; one untouched
// for this long is not being written on this machine or any other sharing
// the folder.
constexpr std::time_t kStaleAfterSeconds = 10 * 60;

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
        auto pid = temporaryWriter(entry->d_name);
        struct stat st {};
        if (!pid || ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            now - st.st_mtime < kStaleAfterSeconds || !writerGone(*pid))
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
        temp = folder + "/" + temporaryName(base, ::getpid(), counter++);
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
