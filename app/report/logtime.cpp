#include "report/logtime.h"

#include <chrono>
#include <cstdio>

namespace report {

namespace {

// "nn" + sep + "nn" + sep + "nn", two digits each, as the downloads write.
bool threeNumbers(std::string_view text, char sep, int (&out)[3])
{
    if (text.size() != 8 || text[2] != sep || text[5] != sep)
        return false;
    for (int i = 0; i < 3; ++i) {
        const char hi = text[static_cast<std::size_t>(i * 3)];
        const char lo = text[static_cast<std::size_t>(i * 3 + 1)];
        if (hi < '0' || hi > '9' || lo < '0' || lo > '9')
            return false;
        out[i] = (hi - '0') * 10 + (lo - '0');
    }
    return true;
}

} // namespace

std::optional<int64_t> logTime(std::string_view data, std::string_view hora)
{
    int d[3];
    int t[3];
    if (!threeNumbers(data, '/', d) || !threeNumbers(hora, ':', t))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{2000 + d[2]},
                                           std::chrono::month{static_cast<unsigned>(d[1])},
                                           std::chrono::day{static_cast<unsigned>(d[0])}};
    if (!date.ok() || t[0] > 23 || t[1] > 59 || t[2] > 59)
        return std::nullopt;
    const int64_t days = std::chrono::sys_days{date}.time_since_epoch().count();
    return days * 86400 + t[0] * 3600 + t[1] * 60 + t[2];
}

std::string formatLogTime(int64_t seconds)
{
    const auto days = std::chrono::sys_days{std::chrono::days{seconds / 86400}};
    const std::chrono::year_month_day date{days};
    const int64_t inDay = seconds % 86400;
    char buf[40];
    std::snprintf(buf,
                  sizeof buf,
                  "%02u/%02u/%04d %02d:%02d:%02d",
                  static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(date.month()),
                  static_cast<int>(date.year()),
                  static_cast<int>(inDay / 3600),
                  static_cast<int>(inDay / 60 % 60),
                  static_cast<int>(inDay % 60));
    return buf;
}

} // namespace report
