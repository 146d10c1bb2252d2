#include "logexport/fieldformat.h"

#include <chrono>
#include <cstdio>

namespace logexport {

namespace {

// Two-digit years read as 2000..2029 or 1930..1999, as dates have always been
// read here. The range checks keep the calendar types within what they hold.
bool isDate(int day, int month, int twoDigitYear)
{
    if (day < 1 || day > 31 || month < 1 || month > 12 || twoDigitYear < 0 || twoDigitYear > 99)
        return false;
    const int year = twoDigitYear < 30 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    return date.ok();
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

// Modbus CRC-16: initial value 0xFFFF, reflected polynomial 0xA001, no final
// inversion. Bit by bit: a record is at most 82 bytes, too few for a table to
// pay.
constexpr uint16_t kCrcInit = 0xFFFF;
constexpr uint16_t kCrcPolynomial = 0xA001;

uint16_t crcFeedByte(uint16_t crc, uint8_t byte)
{
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit)
        crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ kCrcPolynomial) : crc >> 1;
    return crc;
}

} // namespace

std::string formatDate(int day, int month, int year)
{
    return isDate(day, month, year) ? twoDigits(day, '/', month, year)
                                    : asBuilt(day, '/', month, year);
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
    uint16_t crc = kCrcInit;
    for (std::size_t i = 0; i < count; ++i) {
        crc = crcFeedByte(crc, lowByte(words[i]));
        crc = crcFeedByte(crc, highByte(words[i]));
    }
    return crc;
}

} // namespace logexport
