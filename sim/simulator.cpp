// The pseudo-terminal and the serving thread: bytes in, faults applied,
// replies out.
#include "simulator.h"

#include "rtucrc.h"
#include "rtuslave.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace sim {
namespace {

// Longer than three and a half characters at any rate a pty pretends to
// have, short enough that a client's retry is never mistaken for the rest
// of its previous frame.
constexpr auto kFrameGap = std::chrono::milliseconds(5);
constexpr int kIdlePollMs = 100;
constexpr int kGapPollMs = 2;
constexpr int kHangUpRetryMs = 20;
constexpr int kWriteTimeoutMs = 1000;
// The requests the device answers (functions 3 and 6) are eight bytes long.
constexpr long kRequestBytes = 8;

std::string errnoText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

struct Simulator::Impl {
    explicit Impl(Simulator& owner, uint8_t slave) : owner(owner), slave(slave), assembler(slave) {}

    Simulator& owner;
    const uint8_t slave;
    std::string ptyPath;
    int master = -1;
    int heldSlave = -1; // keeps the master from seeing a hang-up between clients
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    std::vector<std::filesystem::path> links;
    FrameAssembler assembler;

    // Guarded by owner.m_mutex.
    Faults faults;
    long answersLeft = -1;
    long requestsSeen = 0; // for silentEvery
    long goodReadsOfFailRegister = 0;
    std::vector<Transaction> transactions;
    std::vector<int> served;

    void run();
    void serve(const Request& q);
    bool decideSilence(const Request& q); // under the lock
    bool sleepUnlessWoken(int ms);
    bool sleepUnlessWokenUs(long us);
    void send(const std::vector<uint8_t>& frame);
    void stopThread();
    void closePty();
};

bool Simulator::Impl::decideSilence(const Request& q)
{
    if (faults.stopAfter >= 0 && answersLeft <= 0)
        return true;
    const bool isRead = q.function == 3;
    if ((faults.silent && isRead) || (faults.silentWrites && q.function == 6))
        return true;
    if (faults.silentEvery >= 2 && ++requestsSeen % faults.silentEvery == 0)
        return true;
    if (isRead && faults.failReadsAtRegister >= 0 && q.reg == faults.failReadsAtRegister) {
        if (faults.failAfterReadsOfRegister < 0 ||
            goodReadsOfFailRegister >= faults.failAfterReadsOfRegister)
            return true;
        ++goodReadsOfFailRegister;
    }
    return false;
}

void Simulator::Impl::serve(const Request& q)
{
    Answer a;
    Faults f;
    {
        std::lock_guard<std::mutex> lock(owner.m_mutex);
        transactions.push_back({q.slave, q.function, q.reg, q.countOrValue});
        f = faults;
        if (decideSilence(q))
            return;
        if (f.exceptionCode != 0) {
            a.frame = exceptionFrame(q.slave, q.function, static_cast<uint8_t>(f.exceptionCode));
            if (q.slave == kBroadcast)
                a.frame.clear();
        } else {
            a = answer(q, owner.m_state);
        }
        if (f.stopAfter >= 0 && answersLeft > 0)
            --answersLeft;
    }
    if (a.frame.empty())
        return;
    // A pty moves bytes at once; a real line takes the request's and the
    // reply's time on the wire before the master has its answer.
    const long wireBytes = kRequestBytes + static_cast<long>(a.frame.size());
    if (f.byteDelayUs > 0 && !sleepUnlessWokenUs(wireBytes * f.byteDelayUs))
        return;
    if (f.replyDelayMs > 0 && !sleepUnlessWoken(f.replyDelayMs))
        return;

    std::vector<uint8_t> frame = std::move(a.frame);
    if (f.wrongSlave) {
        frame.resize(frame.size() - 2);
        frame[0] = static_cast<uint8_t>(frame[0] + 1);
        appendCrc(frame);
    }
    bool whole = true;
    if (f.badCrc) {
        frame.back() ^= 0xFF;
        whole = false;
    }
    if (f.truncateTo >= 0 && static_cast<std::size_t>(f.truncateTo) < frame.size()) {
        frame.resize(static_cast<std::size_t>(f.truncateTo));
        whole = false;
    }
    if (f.garbageBytes > 0) {
        frame.insert(frame.begin(), static_cast<std::size_t>(f.garbageBytes), 0xAA);
        whole = false;
    }
    if (whole && a.servedRecord >= 0) {
        // Noted before the bytes leave, so a client never sees a reply that
        // is not yet in the list.
        std::lock_guard<std::mutex> lock(owner.m_mutex);
        served.push_back(a.servedRecord);
    }
    send(frame);
}

bool Simulator::Impl::sleepUnlessWoken(int ms)
{
    pollfd p{wakeRead, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

bool Simulator::Impl::sleepUnlessWokenUs(long us)
{
    pollfd p{wakeRead, POLLIN, 0};
    const timespec wait{us / 1000000, us % 1000000 * 1000};
    return ::ppoll(&p, 1, &wait, nullptr) == 0;
}

void Simulator::Impl::send(const std::vector<uint8_t>& frame)
{
    std::size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = ::write(master, frame.data() + done, frame.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        // The client is not reading: wait a little, then give the reply up.
        pollfd p[2] = {{master, POLLOUT, 0}, {wakeRead, POLLIN, 0}};
        if (::poll(p, 2, kWriteTimeoutMs) <= 0 || (p[1].revents & POLLIN))
            return;
    }
}

void Simulator::Impl::run()
{
    using Clock = std::chrono::steady_clock;
    uint8_t buffer[512];
    Clock::time_point lastByte = Clock::now();
    for (;;) {
        pollfd p[2] = {{master, POLLIN, 0}, {wakeRead, POLLIN, 0}};
        const int rc = ::poll(p, 2, assembler.pending() ? kGapPollMs : kIdlePollMs);
        if (rc < 0 && errno != EINTR)
            return;
        if (p[1].revents & POLLIN)
            return;
        bool gotBytes = false;
        bool lineDown = (p[0].revents & (POLLHUP | POLLERR)) != 0;
        if (p[0].revents & POLLIN) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                assembler.feed(buffer, static_cast<std::size_t>(n));
                lastByte = Clock::now();
                gotBytes = true;
                while (auto q = assembler.next())
                    serve(*q);
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                lineDown = true; // EIO: no one holds the slave side
            }
        }
        if (!gotBytes && lineDown) {
            // Wait for a client without spinning.
            if (!sleepUnlessWoken(kHangUpRetryMs))
                return;
            continue;
        }
        if (assembler.pending() && Clock::now() - lastByte > kFrameGap) {
            while (auto q = assembler.quiet())
                serve(*q);
        }
    }
}

void Simulator::Impl::stopThread()
{
    if (!thread.joinable())
        return;
    const char wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &wake, 1);
    thread.join();
}

void Simulator::Impl::closePty()
{
    closeFd(master);
    closeFd(heldSlave);
    closeFd(wakeRead);
    closeFd(wakeWrite);
}

Simulator::Simulator(uint8_t slaveAddress) : m_impl(std::make_unique<Impl>(*this, slaveAddress))
{
    // A new device has written nothing yet: both logs empty, all slots blank.
    m_state.fillResetLog(0);
}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::start(std::string* error)
{
    if (m_impl->thread.joinable())
        return true;
    auto fail = [&](const char* what) {
        if (error)
            *error = errnoText(what);
        m_impl->closePty();
        return false;
    };
    Impl& d = *m_impl;
    d.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d.master < 0)
        return fail("posix_openpt");
    if (::grantpt(d.master) != 0 || ::unlockpt(d.master) != 0)
        return fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(d.master, name, sizeof name) != 0)
        return fail("ptsname_r");
    d.ptyPath = name;
    // Raw from the start, so a client's bytes are not cooked before it gets
    // round to setting the line up itself.
    termios tio{};
    if (::tcgetattr(d.master, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(d.master, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    d.heldSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d.heldSlave < 0)
        return fail("open slave");
    const int flags = ::fcntl(d.master, F_GETFL);
    if (flags < 0 || ::fcntl(d.master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail("pipe2");
    d.wakeRead = pipeFds[0];
    d.wakeWrite = pipeFds[1];
    d.assembler = FrameAssembler(d.slave);
    d.thread = std::thread([&d] { d.run(); });
    return true;
}

void Simulator::stop()
{
    hangUp();
    std::error_code ec;
    for (const auto& link : m_impl->links) {
        // Leave a link alone that someone has pointed elsewhere meanwhile.
        if (std::filesystem::read_symlink(link, ec) == m_impl->ptyPath && !ec)
            std::filesystem::remove(link, ec);
    }
    m_impl->links.clear();
}

void Simulator::hangUp()
{
    m_impl->stopThread();
    m_impl->closePty();
}

const std::string& Simulator::ptyPath() const
{
    return m_impl->ptyPath;
}

bool Simulator::linkAsPort(const std::string& dir, int port, std::string* error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path link = fs::path(dir) / ("com" + std::to_string(port));
    if (m_impl->ptyPath.empty()) {
        ec = std::make_error_code(std::errc::no_such_device);
    } else {
        fs::create_directories(dir, ec);
        if (!ec)
            fs::remove(link, ec);
        if (!ec)
            fs::create_symlink(m_impl->ptyPath, link, ec);
    }
    if (ec) {
        if (error)
            *error = link.string() + ": " + ec.message();
        return false;
    }
    m_impl->links.push_back(link);
    return true;
}

void Simulator::setFaults(const Faults& f)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_impl->faults = f;
    m_impl->answersLeft = f.stopAfter;
    m_impl->requestsSeen = 0;
    m_impl->goodReadsOfFailRegister = 0;
}

Faults Simulator::faults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Faults f = m_impl->faults;
    if (f.stopAfter >= 0)
        f.stopAfter = m_impl->answersLeft;
    return f;
}

std::vector<Transaction> Simulator::transactions() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_impl->transactions;
}

void Simulator::clearTransactions()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_impl->transactions.clear();
}

std::vector<int> Simulator::servedRecords() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_impl->served;
}

void Simulator::clearServedRecords()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_impl->served.clear();
}

} // namespace sim
