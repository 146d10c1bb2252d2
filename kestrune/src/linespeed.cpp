// Arbitrary rates (56000 among them) need BOTHER and termios2; the glibc
// termios calls only know the Bxxx table.
#include "serialport.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kestrune {

namespace {

struct TableRate {
    uint32_t baud;
    tcflag_t code;
};

// A rate the table knows keeps its Bxxx code, so tools that read the line
// with plain tcgetattr() see it; BOTHER would show them no rate at all.
constexpr TableRate kTableRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t rateCode(uint32_t baud)
{
    for (const auto& rate : kTableRates) {
        if (rate.baud == baud) {
            return rate.code;
        }
    }
    return BOTHER;
}

} // namespace

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
    tio.c_cflag |= rateCode(baud) | CS8;
    if (!oneStopBit) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace kestrune
