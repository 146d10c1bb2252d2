#include "report/numbertext.h"

#include <charconv>
#include <cmath>

namespace report {

std::string numberText(double v)
{
    if (!std::isfinite(v))
        return {};
    char buf[400];
    // Fixed notation keeps 6553.5 and 32768 as they are; the shortest form
    // could pick 3.2768e+04, which a spreadsheet would read differently.
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    std::string out(buf, r.ptr);
    return out == "-0" ? "0" : out;
}

std::string numberTextComma(double v)
{
    std::string out = numberText(v);
    if (const std::size_t dot = out.find('.'); dot != std::string::npos)
        out[dot] = ',';
    return out;
}

} // namespace report
