// The port on the Win32 serial API. The driver itself enforces the five
// time-outs on every synchronous ReadFile and WriteFile, so nothing here
// waits or counts time.
#include "serialport.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace kestrune {

namespace {

HANDLE handleOf(void* handle)
{
    return static_cast<HANDLE>(handle);
}

// COMMTIMEOUTS lists each multiplier before its constant, the opposite of
// set_timeout's order; naming every field keeps the two from being swapped.
COMMTIMEOUTS toDriver(const CommTimeouts& t)
{
    return COMMTIMEOUTS{.ReadIntervalTimeout = t.readIntervalMs,
                        .ReadTotalTimeoutMultiplier = t.readTotalMultiplierMs,
                        .ReadTotalTimeoutConstant = t.readTotalConstantMs,
                        .WriteTotalTimeoutMultiplier = t.writeTotalMultiplierMs,
                        .WriteTotalTimeoutConstant = t.writeTotalConstantMs};
}

enum class LineResult { Unreadable, Refused, Applied };

// Rate and framing only: flow control, handshake lines and special
// characters keep whatever the driver reported.
LineResult applyLine(HANDLE handle, DWORD baud, BYTE stopBits)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) {
        return LineResult::Unreadable;
    }
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = stopBits;
    return SetCommState(handle, &dcb) ? LineResult::Applied : LineResult::Refused;
}

// A port another process holds is refused as access denied: the open asks
// for no sharing. Which process holds it, Windows does not tell cheaply.
OpenError::Kind kindOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return OpenError::Kind::NoDevice;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return OpenError::Kind::InUse;
    default:
        return OpenError::Kind::Other;
    }
}

std::string systemMessage(DWORD error)
{
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr,
                                        error,
                                        0,
                                        text,
                                        sizeof text,
                                        nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

} // namespace

OpenResult SerialPort::failed(OpenResult result, OpenError::Kind kind, int systemCode)
{
    m_openError.kind = kind;
    m_openError.systemCode = systemCode;
    m_openError.systemText = systemMessage(static_cast<DWORD>(systemCode));
    return result;
}

SerialPort::~SerialPort()
{
    close();
}

OpenResult SerialPort::open(const std::string& path)
{
    // No sharing makes the open exclusive: a port held here or by another
    // process fails with ERROR_ACCESS_DENIED. No overlapped flag, so every
    // read and write below is synchronous.
    m_openError = OpenError{};
    m_openError.device = path;
    HANDLE handle = CreateFileA(path.c_str(),
                                GENERIC_READ | GENERIC_WRITE,
                                0,
                                nullptr,
                                OPEN_EXISTING,
                                0,
                                nullptr);
    const DWORD why = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    // The old handle goes only now: while it was held, a second open of the
    // same port had to fail.
    close();
    if (handle == INVALID_HANDLE_VALUE) {
        return failed(OpenResult::Failed, kindOf(why), static_cast<int>(why));
    }
    m_handle = handle;
    return configure();
}

OpenResult SerialPort::configure()
{
    switch (applyLine(handleOf(m_handle), CBR_9600, TWOSTOPBITS)) {
    case LineResult::Unreadable:
        return failed(OpenResult::NoSettings,
                      OpenError::Kind::NotSerial,
                      static_cast<int>(GetLastError()));
    case LineResult::Refused:
        return failed(OpenResult::Refused,
                      OpenError::Kind::Refused,
                      static_cast<int>(GetLastError()));
    case LineResult::Applied:
        break;
    }
    setTimeouts(kOpenTimeouts);
    return OpenResult::Ok;
}

bool SerialPort::close()
{
    if (m_handle == nullptr) {
        return false;
    }
    CloseHandle(handleOf(m_handle));
    m_handle = nullptr;
    return true;
}

bool SerialPort::isOpen() const
{
    return m_handle != nullptr;
}

bool SerialPort::setBaud(uint32_t baud, bool oneStopBit)
{
    // Refused like on Linux, where rate 0 hangs the line up; a Windows driver
    // would take it as "no rate" at best.
    if (m_handle == nullptr || baud == 0) {
        return false;
    }
    return applyLine(handleOf(m_handle), baud, oneStopBit ? ONESTOPBIT : TWOSTOPBITS) ==
           LineResult::Applied;
}

void SerialPort::setTimeouts(const CommTimeouts& timeouts)
{
    if (m_handle != nullptr) {
        COMMTIMEOUTS driver = toDriver(timeouts);
        SetCommTimeouts(handleOf(m_handle), &driver);
    }
}

void SerialPort::purgeInput()
{
    if (m_handle != nullptr) {
        PurgeComm(handleOf(m_handle), PURGE_RXCLEAR);
    }
}

std::ptrdiff_t SerialPort::write(const uint8_t* data, std::size_t length)
{
    if (m_handle == nullptr) {
        return -1;
    }
    // A write cut short by its time-out still succeeds, with fewer bytes.
    DWORD written = 0;
    if (!WriteFile(handleOf(m_handle), data, static_cast<DWORD>(length), &written, nullptr)) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(written);
}

std::size_t SerialPort::read(uint8_t* data, std::size_t length)
{
    if (m_handle == nullptr || length == 0) {
        return 0;
    }
    // Time-outs end ReadFile successfully with what came; a failed read
    // (the device gone) still reports the bytes it delivered.
    DWORD got = 0;
    ReadFile(handleOf(m_handle), data, static_cast<DWORD>(length), &got, nullptr);
    return got;
}

} // namespace kestrune
