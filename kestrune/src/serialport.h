// The one serial port: open by path with an exclusive hold, 8N2 line
// settings and the five Windows-style time-outs. On Linux the line is raw
// termios and the time-outs are emulated with poll(); on Windows the serial
// driver keeps both (serialport_win32.cpp).
#pragma once

#include "transport.h"

#include <cstdint>
#include <string>
#ifndef _WIN32
#include <sys/types.h>
#endif

namespace kestrune {

// Milliseconds, with the meaning Windows gives its COMMTIMEOUTS fields.
// read interval: longest gap allowed between two received bytes, counted
// from the first byte (0 = unused); read total: multiplier x bytes asked +
// constant (both 0 = unused); write total likewise.
struct CommTimeouts {
    uint32_t readIntervalMs = 0;
    uint32_t readTotalConstantMs = 0;
    uint32_t readTotalMultiplierMs = 0;
    uint32_t writeTotalConstantMs = 0;
    uint32_t writeTotalMultiplierMs = 0;

    bool operator==(const CommTimeouts&) const = default;
};

// What open() leaves in place; the first open_comm callers set their own.
inline constexpr CommTimeouts kOpenTimeouts{1000, 5000, 2000, 5000, 2000};
// An interval of MAXDWORD has special meanings on Windows (see read()).
inline constexpr uint32_t kMaxTimeout = 0xFFFFFFFFu;

enum class OpenResult : int32_t {
    Failed = 1,     // no such port, or held here or by another process
    NoSettings = 2, // settings unreadable (not a terminal); the port stays held
    Refused = 3,    // 9600 8N2 refused; the port stays held
    Ok = 4,
};

// Why the last open() did not give Ok, as far as the system tells: kept for
// last_error_text, so that a technician learns more than "not opened".
struct OpenError {
    enum class Kind { None, NoDevice, InUse, HeldHere, NoPermission, NotSerial, Refused, Other };
    Kind kind = Kind::None;
    std::string device; // the path opened; on Linux a link's target follows " → "
    int systemCode = 0; // errno, or GetLastError() on Windows
    std::string systemText;
    std::string holder; // "minicom (PID 1234)" when the holder of a port in use can be seen
    std::string group;  // the group that may open a device refused to us
};

class SerialPort final : public Transport {
public:
    SerialPort() = default;
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // A port held before is let go whatever the outcome, so a failed reopen
    // never leaks the old descriptor (or its lock).
    OpenResult open(const std::string& path);
    // True when a port was held and is now closed.
    bool close();
    bool isOpen() const;
    const OpenError& lastOpenError() const { return m_openError; }

    // 8 data bits, no parity, one stop bit when `oneStopBit`, else two. Any
    // rate the driver takes; 0 is refused, since on a tty it means hang-up.
    bool setBaud(uint32_t baud, bool oneStopBit);
    // Whether the driver took them is not reported.
    void setTimeouts(const CommTimeouts& timeouts);

    void purgeInput() override;
    std::ptrdiff_t write(const uint8_t* data, std::size_t length) override;
    std::size_t read(uint8_t* data, std::size_t length) override;

private:
    OpenResult configure();
    // Records why open() failed and returns `result`.
    OpenResult failed(OpenResult result, OpenError::Kind kind, int systemCode = 0);

    OpenError m_openError;

#ifdef _WIN32
    // The HANDLE, null when no port is held; void* keeps <windows.h> and its
    // macros out of every file that includes this one.
    void* m_handle = nullptr;
#else
    int m_fd = -1;
    // The process that opened m_fd. A child made by fork() inherits the
    // descriptor but shares its lock and the tty's exclusive flag with the
    // parent, so it must not undo either when it lets go of its copy.
    pid_t m_owner = 0;
    CommTimeouts m_timeouts = kOpenTimeouts;
#endif
};

#ifndef _WIN32
// The process holding the device at `path`, as "name (PID n)": the owner of
// a lock on it, else a process that has it open. Empty when none can be seen
// (another user's descriptors are hidden from us).
std::string portHolder(const std::string& path);

// termios2 lives in <asm/termbits.h>, which cannot share a file with
// <termios.h>; this is its only door.
bool applyLineSpeed(int fd, uint32_t baud, bool oneStopBit);
#endif

} // namespace kestrune
