// Number parsing of text fields, independent of the C and Qt locales: the
// decimal separator is always '.'.
#include "core/textnumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace textnum {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Moves `i` past the sign at s[i], if there is one.
void skipSign(std::string_view s, std::size_t& i)
{
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
}

// Moves `i` past the digits from s[i] on; how many there were.
std::size_t skipDigits(std::string_view s, std::size_t& i)
{
    const std::size_t from = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return i - from;
}

// Length of the number (sign, digits, optional '.' fraction, optional exponent)
// that starts at `s`, 0 when there is none. The exponent only counts when it
// has digits ("1e" is the number 1 followed by text).
std::size_t numberLength(std::string_view s)
{
    std::size_t i = 0;
    skipSign(s, i);
    std::size_t digits = skipDigits(s, i);
    if (i < s.size() && s[i] == '.') {
        ++i;
        digits += skipDigits(s, i);
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        skipSign(s, j);
        if (skipDigits(s, j) > 0)
            i = j;
    }
    return i;
}

// from_chars is locale-independent; it takes no leading '+' and knows 'e' only.
double parseNumber(std::string text)
{
    for (char& c : text)
        if (c == 'd' || c == 'D')
            c = 'e';
    std::size_t begin = (!text.empty() && text[0] == '+') ? 1 : 0;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // A tiny magnitude (negative exponent) underflows harmlessly to zero;
        // only a too large one overflows.
        const std::size_t e = text.find('e');
        if (e != std::string::npos && e + 1 < text.size() && text[e + 1] == '-')
            return 0.0;
        throw RuntimeError(kOverflow, "Overflow");
    }
    if (ec != std::errc() || ptr != text.data() + text.size())
        throw RuntimeError(kTypeMismatch, "Type mismatch");
    return value;
}

} // namespace

double leadingNumber(std::string_view text)
{
    // Blanks are ignored anywhere in the number, as in "1 2" == 12.
    std::string compact;
    for (char c : text)
        if (!isBlank(c))
            compact.push_back(c);
    const std::size_t n = numberLength(compact);
    if (n == 0)
        return 0.0;
    try {
        return parseNumber(compact.substr(0, n));
    } catch (const RuntimeError&) {
        // The leading number never fails; an exponent too large saturates.
        return compact[0] == '-' ? -std::numeric_limits<double>::max()
                                 : std::numeric_limits<double>::max();
    }
}

double toDouble(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    const std::string_view body = text.substr(first, last - first);
    const std::size_t n = numberLength(body);
    if (n == 0 || n != body.size())
        throw RuntimeError(kTypeMismatch, "Type mismatch");
    return parseNumber(std::string(body));
}

namespace {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

template <class Int> Int roundTo(double value)
{
    if (std::isnan(value))
        throw RuntimeError(kOverflow, "Overflow");
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        throw RuntimeError(kOverflow, "Overflow");
    return static_cast<Int>(r);
}

} // namespace

int16_t roundToInt16(double value)
{
    return roundTo<int16_t>(value);
}
int32_t roundToInt32(double value)
{
    return roundTo<int32_t>(value);
}
int16_t toInt16(std::string_view text)
{
    return roundToInt16(toDouble(text));
}
int32_t toInt32(std::string_view text)
{
    return roundToInt32(toDouble(text));
}

} // namespace textnum
