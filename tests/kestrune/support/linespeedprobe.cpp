#include "linespeedprobe.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace ktest {

std::optional<LineReadback> readLine(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return std::nullopt;
    }
    LineReadback line;
    line.inputBaud = tio.c_ispeed;
    line.outputBaud = tio.c_ospeed;
    line.eightBits = (tio.c_cflag & CSIZE) == CS8;
    line.parity = (tio.c_cflag & PARENB) != 0;
    line.twoStopBits = (tio.c_cflag & CSTOPB) != 0;
    return line;
}

} // namespace ktest
