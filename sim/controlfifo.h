// qvr-sim's control channel: commands read line by line from a named pipe
// while the device serves, so a test in another process (or a demonstrator in
// another terminal) can make the device log new records, clear its memory or
// change its serial number between two connects.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace sim {

class Simulator;

// Carries out one command line on the device and returns the line that
// answers it: "ok pointer P serial A,B" or "error: ...".
//   write N      log N new records after the pointer (1 to 100000)
//   erase        clear the data log: every record erased, pointer 0
//   serial A,B   the serial number's two parts (0 to 65535 each)
std::string runCommand(Simulator& device, const std::string& line);

class ControlFifo {
public:
    ControlFifo(Simulator& device, std::FILE* replies);
    ~ControlFifo(); // stops reading; removes the pipe when it made it
    ControlFifo(const ControlFifo&) = delete;
    ControlFifo& operator=(const ControlFifo&) = delete;

    // Makes the pipe at `path` unless one is there, and reads it from a
    // thread of its own. False with the reason in `error`.
    bool start(const std::string& path, std::string* error);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace sim
