#include "serialport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace kestrune {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for `events` on fd until `deadline` (none = forever). False when the
// deadline passed first.
bool waitFor(int fd, short events, const Clock::time_point* deadline)
{
    pollfd pfd{fd, events, 0};
    for (;;) {
        timespec span{};
        timespec* spanPtr = nullptr;
        if (deadline != nullptr) {
            auto left = *deadline - Clock::now();
            if (left <= Clock::duration::zero()) {
                return false;
            }
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            span.tv_sec = static_cast<time_t>(ns / 1000000000);
            span.tv_nsec = static_cast<long>(ns % 1000000000);
            spanPtr = &span;
        }
        int ready = ppoll(&pfd, 1, spanPtr, nullptr);
        if (ready > 0) {
            return true; // errors and hang-ups surface in the read or write
        }
        if (ready < 0 && errno != EINTR) {
            return true;
        }
    }
}

// Multiplier x bytes can reach 2^64 ms, which would overflow the clock's
// nanoseconds; beyond a century a time-out is as good as none anyway.
Clock::time_point afterMs(Clock::time_point from, uint64_t ms)
{
    constexpr uint64_t kCenturyMs = 100ull * 365 * 24 * 3600 * 1000;
    return from + std::chrono::milliseconds(static_cast<int64_t>(std::min(ms, kCenturyMs)));
}

const Clock::time_point* earlier(const Clock::time_point* a, const Clock::time_point* b)
{
    if (a == nullptr) {
        return b;
    }
    if (b == nullptr) {
        return a;
    }
    return *a < *b ? a : b;
}

OpenError::Kind kindOf(int openErrno)
{
    switch (openErrno) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case EIO: // a ttyS node with no UART behind it
        return OpenError::Kind::NoDevice;
    case EACCES:
    case EPERM:
        return OpenError::Kind::NoPermission;
    case EBUSY: // another user's TIOCEXCL
    case EWOULDBLOCK:
        return OpenError::Kind::InUse;
    default:
        return OpenError::Kind::Other;
    }
}

// The path as the technician should see it: a com<n> link with its target.
std::string shownDevice(const std::string& path)
{
    char target[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return path;
    }
    return path + " → " + std::string(target, static_cast<std::size_t>(length));
}

bool sameFile(int fd, const std::string& path)
{
    struct stat held {};
    struct stat named {};
    return fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// The group that may open the device; none when that is root's alone, since
// joining root's group is no advice to give.
std::string groupOf(const std::string& path)
{
    struct stat node {};
    if (stat(path.c_str(), &node) != 0 || node.st_gid == 0) {
        return {};
    }
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(node.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return std::to_string(node.st_gid);
    }
    return found->gr_name;
}

} // namespace

SerialPort::~SerialPort()
{
    close();
}

OpenResult SerialPort::open(const std::string& path)
{
    m_openError = OpenError{};
    m_openError.device = shownDevice(path);
    // O_NONBLOCK stays on: every read and write waits in poll() instead, so
    // the time-outs are ours to enforce.
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int why = fd < 0 ? errno : 0;
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // Held by this library or by another process. TIOCEXCL alone would
        // not say so: it does not stop root.
        why = errno;
        ::close(fd);
        fd = -1;
    }
    const bool heldHere = fd < 0 && m_fd >= 0 && sameFile(m_fd, path);
    close();
    if (fd < 0) {
        OpenError::Kind kind = kindOf(why);
        if (kind == OpenError::Kind::InUse && heldHere) {
            kind = OpenError::Kind::HeldHere;
        } else if (kind == OpenError::Kind::InUse) {
            m_openError.holder = portHolder(path);
        } else if (kind == OpenError::Kind::NoPermission) {
            m_openError.group = groupOf(path);
        }
        return failed(OpenResult::Failed, kind, why);
    }
    ioctl(fd, TIOCEXCL); // keeps other users out; not a terminal -> no harm
    m_fd = fd;
    m_owner = getpid();
    return configure();
}

OpenResult SerialPort::failed(OpenResult result, OpenError::Kind kind, int systemCode)
{
    m_openError.kind = kind;
    m_openError.systemCode = systemCode;
    if (systemCode != 0) {
        m_openError.systemText = std::strerror(systemCode);
    }
    return result;
}

OpenResult SerialPort::configure()
{
    termios tio{};
    if (tcgetattr(m_fd, &tio) != 0) {
        return failed(OpenResult::NoSettings, OpenError::Kind::NotSerial, errno);
    }
    // Raw: a cooked tty would eat or translate bytes such as 0x0D, 0x11 and
    // 0x13 that turn up in binary frames.
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD);
    tio.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
#ifdef CIBAUD
    // A separate input rate left by an earlier termios2 user would survive
    // glibc's cfsetispeed, which only writes the output bits.
    tio.c_cflag &= ~static_cast<tcflag_t>(CIBAUD);
#endif
    // VMIN 1 so that an empty non-blocking read says EAGAIN; with VMIN 0 it
    // would return 0, which we take for end of file.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, B9600) != 0 || cfsetospeed(&tio, B9600) != 0 ||
        tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        return failed(OpenResult::Refused, OpenError::Kind::Refused, errno);
    }
    m_timeouts = kOpenTimeouts;
    return OpenResult::Ok;
}

bool SerialPort::close()
{
    if (m_fd < 0) {
        return false;
    }
    if (m_owner == getpid()) {
        // Released explicitly so that a descriptor copy still alive in a
        // forked child cannot keep the port held after we let go.
        ioctl(m_fd, TIOCNXCL);
        flock(m_fd, LOCK_UN);
    }
    ::close(m_fd);
    m_fd = -1;
    return true;
}

bool SerialPort::isOpen() const
{
    return m_fd >= 0;
}

bool SerialPort::setBaud(uint32_t baud, bool oneStopBit)
{
    return applyLineSpeed(m_fd, baud, oneStopBit);
}

void SerialPort::setTimeouts(const CommTimeouts& timeouts)
{
    m_timeouts = timeouts;
}

void SerialPort::purgeInput()
{
    if (m_fd >= 0) {
        tcflush(m_fd, TCIFLUSH);
    }
}

std::ptrdiff_t SerialPort::write(const uint8_t* data, std::size_t length)
{
    if (m_fd < 0) {
        return -1;
    }
    const auto& t = m_timeouts;
    Clock::time_point deadline{};
    const Clock::time_point* limit = nullptr;
    if (t.writeTotalConstantMs != 0 || t.writeTotalMultiplierMs != 0) {
        deadline = afterMs(Clock::now(),
                           uint64_t{t.writeTotalMultiplierMs} * length + t.writeTotalConstantMs);
        limit = &deadline;
    }
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = ::write(m_fd, data + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return -1; // a failed write, whatever part of it went out
        }
        if (!waitFor(m_fd, POLLOUT, limit)) {
            break;
        }
    }
    return static_cast<std::ptrdiff_t>(done);
}

std::size_t SerialPort::read(uint8_t* data, std::size_t length)
{
    if (m_fd < 0 || length == 0) {
        return 0;
    }
    const auto& t = m_timeouts;
    const auto start = Clock::now();
    // Windows: interval MAXDWORD with both totals 0 returns at once with what
    // is there; with multiplier MAXDWORD and a constant it waits up to the
    // constant for the first byte, then returns at once.
    const bool atOnce = t.readIntervalMs == kMaxTimeout && t.readTotalMultiplierMs == 0 &&
                        t.readTotalConstantMs == 0;
    const bool firstByte = t.readIntervalMs == kMaxTimeout &&
                           t.readTotalMultiplierMs == kMaxTimeout && t.readTotalConstantMs != 0 &&
                           t.readTotalConstantMs != kMaxTimeout;
    Clock::time_point total{};
    const Clock::time_point* totalLimit = nullptr;
    if (firstByte) {
        total = afterMs(start, t.readTotalConstantMs);
        totalLimit = &total;
    } else if (t.readTotalConstantMs != 0 || t.readTotalMultiplierMs != 0) {
        total = afterMs(start, uint64_t{t.readTotalMultiplierMs} * length + t.readTotalConstantMs);
        totalLimit = &total;
    }
    const bool useInterval = !atOnce && !firstByte && t.readIntervalMs != 0;
    Clock::time_point gap{};
    std::size_t got = 0;
    // Wait first, read second: right after a request nothing is there yet,
    // and a read that only says EAGAIN is a wasted system call.
    while (got < length) {
        if (!atOnce) {
            const Clock::time_point* limit = totalLimit;
            if (useInterval && got > 0) {
                limit = earlier(limit, &gap);
            }
            if (!waitFor(m_fd, POLLIN, limit)) {
                break;
            }
        }
        ssize_t n = ::read(m_fd, data + got, length - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            if (atOnce || firstByte) {
                break;
            }
            if (useInterval) {
                gap = afterMs(Clock::now(), t.readIntervalMs);
            }
            continue;
        }
        if (n < 0 && (errno == EINTR || (errno == EAGAIN && !atOnce))) {
            continue;
        }
        // End of file, a hang-up or an error: nothing more will come.
        break;
    }
    return got;
}

} // namespace kestrune
