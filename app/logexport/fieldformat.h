// Text and number forms the device's words take in the export columns: dates
// and times as the device stores them, hexadecimal status words, scaled values
// and the record CRC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace logexport {

inline uint8_t highByte(uint16_t w)
{
    return static_cast<uint8_t>(w >> 8);
}
inline uint8_t lowByte(uint16_t w)
{
    return static_cast<uint8_t>(w & 0xFF);
}

// "d/m/y" read as a day/month/two-digit-year date and written "dd/mm/yy"; the
// text as built when the three numbers are no such date (erased records hold
// 255 in every byte).
std::string formatDate(int day, int month, int year);
// "h:m:s" written "hh:mm:ss" when it is a time of day, else as built.
std::string formatTime(int hours, int minutes, int seconds);

// Upper-case hexadecimal, four digits, no prefix ("00AB").
std::string right4(uint16_t w);
// right4 with the "0x" prefix of the data-log status columns ("0x00AB").
std::string hex4(uint16_t w);

double tenths(uint16_t w);
double hundredths(uint16_t w);
// The device sends temperatures as two's-complement tenths.
double signedTenths(uint16_t w);

// Modbus CRC-16 (0xFFFF, reflected 0xA001) over the words, each word's low
// byte first: the opposite of their order on the wire, as the device computes
// the CRC it stores in a record's last word.
uint16_t recordCrc(const uint16_t* words, std::size_t count);

} // namespace logexport
