// Arbitrary rates (56000 among them) need BOTHER and termios2; the glibc
// termios calls only know the Bxxx table.
#include "serialport.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kestrune {

bool applyLineSpeed(int fd, uint32_t baud, bool oneStopBit)
{
    if (fd < 0 || baud == 0) {
        return false;
    }
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    // Input speed bits cleared: the input rate follows the output rate.
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_cflag |= BOTHER | CS8;
    if (!oneStopBit) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace kestrune
