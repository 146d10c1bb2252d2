#include "logexport/fieldformat.h"

#include <array>
#include <cstdio>

namespace logexport {

namespace {

// Two-digit years read as 2000..2029 or 1930..1999; in both ranges a year is a
// leap year exactly when its last two digits are a multiple of 4.
int daysInMonth(int month, int twoDigitYear)
{
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && twoDigitYear % 4 == 0)
        return 29;
    return kDays[static_cast<std::size_t>(month - 1)];
}

std::string twoDigits(int a, char sep, int b, int c)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d%c%02d%c%02d", a, sep, b, sep, c);
    return buf;
}

std::string asBuilt(int a, char sep, int b, int c)
{
    return std::to_string(a) + sep + std::to_string(b) + sep + std::to_string(c);
}

constexpr std::array<uint16_t, 256> makeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = makeCrcTable();

uint16_t crcByte(uint16_t crc, uint8_t byte)
{
    return static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xFF]);
}

} // namespace

std::string formatDate(int day, int month, int year)
{
    const bool valid = year >= 0 && year <= 99 && month >= 1 && month <= 12 && day >= 1 &&
                       day <= daysInMonth(month, year);
    return valid ? twoDigits(day, '/', month, year) : asBuilt(day, '/', month, year);
}

std::string formatTime(int hours, int minutes, int seconds)
{
    const bool valid =
        hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59 && seconds >= 0 && seconds <= 59;
    return valid ? twoDigits(hours, ':', minutes, seconds) : asBuilt(hours, ':', minutes, seconds);
}

std::string right4(uint16_t w)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(w));
    return buf;
}

std::string hex4(uint16_t w)
{
    return "0x" + right4(w);
}

double tenths(uint16_t w)
{
    return w / 10.0;
}

double hundredths(uint16_t w)
{
    return w / 100.0;
}

double signedTenths(uint16_t w)
{
    return static_cast<int16_t>(w) / 10.0;
}

uint16_t recordCrc(const uint16_t* words, std::size_t count)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc = crcByte(crc, lowByte(words[i]));
        crc = crcByte(crc, highByte(words[i]));
    }
    return crc;
}

} // namespace logexport
