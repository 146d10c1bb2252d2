// The two ways the program takes numbers from text fields: the leading number
// of a text (never fails), and the strict conversion (fails on a text that is
// not a number; 16-bit and 32-bit integers round halves to even).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A run-time error as the program reports it: number and description
// ("13 - Type mismatch", "6 - Overflow").
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), m_number(number)
    {
    }
    int number() const { return m_number; }

private:
    int m_number;
};

namespace textnum {

inline constexpr int kTypeMismatch = 13;
inline constexpr int kOverflow = 6;

// Leading number: blanks ignored, optional sign, digits, optional '.' fraction,
// optional exponent; 0 when the text does not start with a number. The decimal
// separator is always '.', whatever the locale.
double leadingNumber(std::string_view text);

// Strict conversions: the whole text (blanks around it allowed) must be a
// number, else RuntimeError(kTypeMismatch, "Type mismatch"); out of range gives
// RuntimeError(kOverflow, "Overflow").
double toDouble(std::string_view text);
int16_t toInt16(std::string_view text);
int32_t toInt32(std::string_view text);

// Rounding of a double to an integer type, halves to even; Overflow when out of range.
int16_t roundToInt16(double value);
int32_t roundToInt32(double value);

} // namespace textnum
