#include "mdb/convert.h"

#include "mdb/bytes.h"
#include "mdb/errors.h"
#include "mdb/format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mdb {

using namespace jet4;

bool parseNumber(std::string_view text, double& out)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars takes no '+' and no leading '.', so check the shape here.
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
        i = j;
    }
    if (i != text.size())
        return false;
    std::string normal;
    if (text.front() == '.')
        normal.push_back('0');
    normal.append(text);
    double v = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), v);
    if (ec == std::errc::result_out_of_range)
        v = std::numeric_limits<double>::infinity();
    else if (ec != std::errc() || end != normal.data() + normal.size())
        return false;
    out = negative ? -v : v;
    return true;
}

double roundHalfEven(double v)
{
    double floorV = std::floor(v);
    double diff = v - floorV;
    if (diff > 0.5)
        return floorV + 1;
    if (diff < 0.5)
        return floorV;
    return std::fmod(floorV, 2.0) == 0 ? floorV : floorV + 1;
}

namespace {

double asNumber(const Value& value)
{
    if (const auto* s = std::get_if<std::string>(&value)) {
        double d = 0;
        if (!parseNumber(*s, d))
            throw jetError(kErrConversion);
        return d;
    }
    if (const auto* i16 = std::get_if<int16_t>(&value))
        return *i16;
    if (const auto* i32 = std::get_if<int32_t>(&value))
        return *i32;
    return std::get<double>(value);
}

int64_t asInteger(const Value& value, double low, double high)
{
    double d = asNumber(value);
    if (std::isnan(d))
        throw jetError(kErrConversion);
    d = roundHalfEven(d);
    if (d < low || d > high)
        throw jetError(kErrNumericOverflow);
    return static_cast<int64_t>(d);
}

std::string formatNumber(const Value& value)
{
    if (const auto* i16 = std::get_if<int16_t>(&value))
        return std::to_string(*i16);
    if (const auto* i32 = std::get_if<int32_t>(&value))
        return std::to_string(*i32);
    // Jet prints doubles with 15 significant digits and no trailing zeros.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", std::get<double>(value));
    return buf;
}

} // namespace

Cell toCell(const ColumnDef& column, const Value& value)
{
    if (std::holds_alternative<std::monostate>(value))
        return std::monostate{};
    switch (column.type) {
    case kTypeText: {
        std::u16string text;
        try {
            text = utf8ToUtf16(std::holds_alternative<std::string>(value)
                                   ? std::get<std::string>(value)
                                   : formatNumber(value));
        } catch (const FormatError&) {
            throw jetError(kErrConversion);
        }
        if (text.size() * 2 > column.length)
            throw jetError(kErrFieldTooSmall);
        return text;
    }
    case kTypeByte:
        return asInteger(value, 0, 255);
    case kTypeInteger:
        return asInteger(value, INT16_MIN, INT16_MAX);
    case kTypeLong:
        return asInteger(value, INT32_MIN, INT32_MAX);
    case kTypeBoolean:
        return asNumber(value) != 0;
    case kTypeCurrency: {
        double d = asNumber(value) * 10000.0;
        if (std::isnan(d) || std::fabs(d) >= 9.2e18)
            throw jetError(kErrNumericOverflow);
        return static_cast<int64_t>(roundHalfEven(d));
    }
    case kTypeSingle: {
        double d = asNumber(value);
        if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
            throw jetError(kErrNumericOverflow);
        return d;
    }
    case kTypeDouble:
    case kTypeDateTime: {
        double d = asNumber(value);
        if (!std::isfinite(d))
            throw jetError(kErrNumericOverflow);
        return d;
    }
    default:
        throw jetError(kErrConversion);
    }
}

Value toValue(const ColumnDef& column, const Cell& cell)
{
    if (const auto* text = std::get_if<std::u16string>(&cell))
        return utf16ToUtf8(*text);
    if (const auto* b = std::get_if<bool>(&cell))
        return static_cast<int16_t>(*b ? -1 : 0);
    if (const auto* d = std::get_if<double>(&cell))
        return *d;
    if (const auto* i = std::get_if<int64_t>(&cell)) {
        switch (column.type) {
        case kTypeByte:
        case kTypeInteger:
            return static_cast<int16_t>(*i);
        case kTypeLong:
            return static_cast<int32_t>(*i);
        default:
            return static_cast<double>(*i) / 10000.0; // Currency
        }
    }
    if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&cell))
        return std::string(bytes->begin(), bytes->end());
    return std::monostate{};
}

} // namespace mdb
