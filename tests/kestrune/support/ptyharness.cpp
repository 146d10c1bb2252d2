#include "ptyharness.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace ktest {

PtyPair::PtyPair()
{
    int master = -1;
    int slave = -1;
    std::array<char, 128> name{};
    if (openpty(&master, &slave, name.data(), nullptr, nullptr) != 0) {
        m_error = std::string("openpty failed: ") + std::strerror(errno);
        return;
    }
    // The master side stays raw so the bytes we feed arrive untouched.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    m_master = master;
    m_slaveKeeper = slave;
    m_slavePath = name.data();
}

PtyPair::~PtyPair()
{
    if (m_master >= 0) {
        close(m_master);
    }
    if (m_slaveKeeper >= 0) {
        close(m_slaveKeeper);
    }
}

bool PtyPair::waitQueuedOnSlave(int count) const
{
    for (int tries = 0; tries < 1000; ++tries) {
        int queued = 0;
        if (ioctl(m_slaveKeeper, FIONREAD, &queued) == 0 && queued >= count) {
            return true;
        }
        usleep(1000);
    }
    return false;
}

void PtyPair::hangUp()
{
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
}

PortFolder::PortFolder()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kestrune-ports-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
    setenv("KESTRUNE_PORTS", m_path.c_str(), 1);
}

PortFolder::~PortFolder()
{
    unsetenv("KESTRUNE_PORTS");
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void PortFolder::link(int port, const std::string& target) const
{
    std::filesystem::create_symlink(target, m_path + "/com" + std::to_string(port));
}

void PortFolder::plainFile(int port) const
{
    int fd = ::open((m_path + "/com" + std::to_string(port)).c_str(), O_CREAT | O_WRONLY, 0600);
    if (fd >= 0) {
        close(fd);
    }
}

Bytes readSome(int fd, std::size_t count, int timeoutMs)
{
    Bytes out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd pfd{fd, POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, static_cast<int>(left)) <= 0) {
            break;
        }
        std::array<uint8_t, 512> chunk{};
        ssize_t n = read(fd, chunk.data(), std::min(chunk.size(), count - out.size()));
        if (n <= 0) {
            break;
        }
        out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    }
    return out;
}

Bytes drain(int fd, int settleMs)
{
    return readSome(fd, 4096, settleMs);
}

void writeAll(int fd, const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw std::runtime_error("write to pty master failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

} // namespace ktest
