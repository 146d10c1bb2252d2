// Pseudo-terminal plumbing for the kestrune tests and benchmark: a pty pair,
// a throw-away folder of com<n> links and plain byte I/O on the master side.
#pragma once

#include "refcrc.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ktest {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0; }
    const std::string& error() const { return m_error; }
    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }
    // Waits (up to a second) until the slave side holds `count` unread bytes.
    bool waitQueuedOnSlave(int count) const;
    // Closes the master side: the line is gone for whoever has the slave.
    void hangUp();

private:
    int m_master = -1;
    // Held open so the master never sees a hang-up while the library has
    // the slave closed; it never reads, so it takes nothing from the line.
    int m_slaveKeeper = -1;
    std::string m_slavePath;
    std::string m_error;
};

// A temporary folder set as KESTRUNE_PORTS for its lifetime.
class PortFolder {
public:
    PortFolder();
    ~PortFolder();
    PortFolder(const PortFolder&) = delete;
    PortFolder& operator=(const PortFolder&) = delete;

    const std::string& path() const { return m_path; }
    void link(int port, const std::string& target) const;
    void plainFile(int port) const;

private:
    std::string m_path;
};

// Reads until `count` bytes came or `timeoutMs` passed without the rest.
Bytes readSome(int fd, std::size_t count, int timeoutMs);
// Everything readable within `settleMs`.
Bytes drain(int fd, int settleMs);
void writeAll(int fd, const Bytes& bytes);

} // namespace ktest
