#include "controlfifo.h"

#include "simulator.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace sim {
namespace {

constexpr long kMostRecordsAtOnce = 100000;

bool readNumber(std::istream& in, long min, long max, long* out)
{
    long v = 0;
    if (!(in >> v) || v < min || v > max)
        return false;
    *out = v;
    return true;
}

bool atEnd(std::istream& in)
{
    in >> std::ws;
    return in.eof();
}

} // namespace

std::string runCommand(Simulator& device, const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    long count = 0, a = 0, b = 0;
    char comma = 0;
    bool ok = false;
    if (verb == "write") {
        ok = readNumber(in, 1, kMostRecordsAtOnce, &count) && atEnd(in);
        if (ok)
            device.withState([&](DeviceState& s) { s.writeRecords(static_cast<int>(count)); });
    } else if (verb == "erase") {
        ok = atEnd(in);
        if (ok)
            device.withState([](DeviceState& s) { s.eraseDataLog(); });
    } else if (verb == "serial") {
        ok = readNumber(in, 0, 65535, &a) && in >> comma && comma == ',' &&
             readNumber(in, 0, 65535, &b) && atEnd(in);
        if (ok)
            device.withState([&](DeviceState& s) {
                s.serial1 = static_cast<uint16_t>(a);
                s.serial2 = static_cast<uint16_t>(b);
            });
    }
    if (!ok)
        return "error: not a command: " + line;
    return device.withState([](DeviceState& s) {
        return "ok pointer " + std::to_string(s.logPointer) + " serial " +
               std::to_string(s.serial1) + "," + std::to_string(s.serial2);
    });
}

struct ControlFifo::Impl {
    Impl(Simulator& d, std::FILE* r) : device(d), replies(r) {}
    Simulator& device;
    std::FILE* replies;
    std::string path;
    bool madePipe = false;
    int fifo = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;

    void run();
};

void ControlFifo::Impl::run()
{
    std::string pending;
    char buffer[256];
    for (;;) {
        pollfd p[2] = {{fifo, POLLIN, 0}, {wakeRead, POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (p[1].revents & POLLIN)
            return;
        // Only a pipe that has data is read: a blocking read would not see
        // the wake-up that ends the thread.
        if (!(p[0].revents & POLLIN))
            continue;
        const ssize_t n = ::read(fifo, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                continue;
            // The answer is what a waiting test looks for, so it goes out at once.
            std::fprintf(replies, "%s\n", runCommand(device, line).c_str());
            std::fflush(replies);
        }
    }
}

ControlFifo::ControlFifo(Simulator& device, std::FILE* replies)
    : m_impl(std::make_unique<Impl>(device, replies))
{
}

ControlFifo::~ControlFifo()
{
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t n = ::write(d.wakeWrite, &wake, 1);
        d.thread.join();
    }
    for (int fd : {d.fifo, d.wakeRead, d.wakeWrite}) {
        if (fd >= 0)
            ::close(fd);
    }
    if (d.madePipe)
        ::unlink(d.path.c_str());
}

bool ControlFifo::start(const std::string& path, std::string* error)
{
    Impl& d = *m_impl;
    d.path = path;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISFIFO(st.st_mode)) {
            *error = path + ": not a named pipe";
            return false;
        }
    } else if (::mkfifo(path.c_str(), 0600) == 0) {
        d.madePipe = true;
    } else {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    // Open for writing too, so that the pipe never reads as ended when a
    // writer closes it, and this open does not wait for the first writer.
    d.fifo = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    int wake[2];
    if (d.fifo < 0 || ::pipe2(wake, O_CLOEXEC) != 0) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    d.wakeRead = wake[0];
    d.wakeWrite = wake[1];
    d.thread = std::thread([&d] { d.run(); });
    return true;
}

} // namespace sim
