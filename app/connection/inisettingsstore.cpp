#include "connection/inisettingsstore.h"

#include "connection/inifile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// QLockFile's own rule: a lock whose holder is gone, or that nobody renewed
// for this long, may be taken over.
constexpr auto kStaleLockAge = std::chrono::seconds(30);
constexpr auto kLockRetry = std::chrono::milliseconds(20);

// Nothing when the file is there but cannot be read: a write must then leave
// it alone, or the window's other settings would be replaced by one value.
std::optional<std::string> readWhole(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? std::optional<std::string>("") : std::nullopt;
    std::string text;
    char buffer[4096];
    bool ok = true;
    for (ssize_t n; ok && (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else
            ok = errno == EINTR;
    }
    const int readError = errno;
    ::close(fd);
    errno = readError;
    return ok ? std::optional(std::move(text)) : std::nullopt;
}

std::string hostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

std::string processName()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).filename().string();
}

// The lock file as QLockFile writes and judges it: made exclusively, its
// holder's pid, program and host inside, held with flock() so that nobody
// removes it as stale while its holder lives.
class LockFile {
public:
    explicit LockFile(std::string path) : m_path(std::move(path)) {}
    ~LockFile()
    {
        if (m_fd < 0)
            return;
        ::unlink(m_path.c_str());
        ::close(m_fd);
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    bool take(std::chrono::milliseconds wait)
    {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                ::flock(m_fd, LOCK_EX | LOCK_NB);
                const std::string info =
                    std::to_string(::getpid()) + "\n" + processName() + "\n" + hostName() + "\n";
                if (::write(m_fd, info.data(), info.size()) == static_cast<ssize_t>(info.size()))
                    return true;
                m_failure = std::strerror(errno);
                ::unlink(m_path.c_str());
                ::close(m_fd);
                m_fd = -1;
                return false;
            }
            if (errno != EEXIST) {
                m_failure = std::strerror(errno);
                return false;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                m_failure = "outro programa o mantém.";
                return false;
            }
            if (stale())
                removeStale();
            std::this_thread::sleep_for(kLockRetry);
        }
    }

    // Why take() failed.
    const std::string& failure() const { return m_failure; }

private:
    bool stale() const
    {
        std::istringstream in(readWhole(m_path).value_or(""));
        long long pid = 0;
        std::string program, host;
        in >> pid;
        in.ignore();
        std::getline(in, program);
        std::getline(in, host);
        if (pid > 0 && (host.empty() || host == hostName()) &&
            ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH)
            return true;
        std::error_code ec;
        const auto written = fs::last_write_time(m_path, ec);
        return !ec && fs::file_time_type::clock::now() - written > kStaleLockAge;
    }

    // Only when nobody holds it: a live holder keeps its flock.
    void removeStale() const
    {
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(m_path.c_str());
        ::close(fd);
    }

    std::string m_path;
    int m_fd = -1;
    std::string m_failure;
};

// The new text beside the old file, then renamed over it; the file's
// permissions kept (a new one is the user's alone, as QSettings makes it).
bool replaceFile(const std::string& path, const std::string& text)
{
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace

IniSettingsStore::IniSettingsStore(std::string path, std::string group)
    : m_path(std::move(path)), m_group(std::move(group))
{
}

std::string IniSettingsStore::userFile(const std::string& applicationName)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home ? home : "") + "/.config";
    }
    return folder + "/" + kOrganization + "/" + applicationName + ".conf";
}

std::optional<std::string> IniSettingsStore::value(const std::string& key) const
{
    const std::optional<std::string> file = readWhole(m_path);
    return file ? ini::readValue(*file, m_group, key) : std::nullopt;
}

void IniSettingsStore::setValue(const std::string& key, const std::string& text)
{
    m_writeFailure.clear();
    std::error_code ec;
    fs::create_directories(fs::path(m_path).parent_path(), ec);
    LockFile lock(m_path + ".lock");
    if (!lock.take(lockWait)) {
        m_writeFailure = "Não foi possível travar \"" + m_path + ".lock\": " + lock.failure();
        return;
    }
    const std::optional<std::string> file = readWhole(m_path);
    if (!file) {
        m_writeFailure =
            "Não foi possível ler \"" + m_path + "\": " + std::string(std::strerror(errno));
        return;
    }
    if (!replaceFile(m_path, ini::withValue(*file, m_group, key, text)))
        m_writeFailure =
            "Não foi possível gravar \"" + m_path + "\": " + std::string(std::strerror(errno));
}
