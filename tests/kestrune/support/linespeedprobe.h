// Reads a tty's rate back through termios2, which glibc's termios cannot
// report for rates outside its table (56000 for one).
#pragma once

#include <cstdint>
#include <optional>

namespace ktest {

struct LineReadback {
    uint32_t inputBaud = 0;
    uint32_t outputBaud = 0;
    bool eightBits = false;
    bool parity = false;
    bool twoStopBits = false;
};

std::optional<LineReadback> readLine(int fd);

} // namespace ktest
