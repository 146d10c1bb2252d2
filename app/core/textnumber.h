// The two ways the program takes numbers from text fields: the leading number
// of a text (never fails), and the strict conversion (fails on a text that is
// not a number; 16-bit and 32-bit integers round halves to even).
#pragma once

#include "core/errors.h"

#include <cstdint>
#include <string_view>

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
