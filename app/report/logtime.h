// Dates and times as the logs store them ("dd/mm/yy", "hh:mm:ss", two-digit
// years of this century) turned into one number of seconds, counted as if
// the device's clock were UTC: the report shows the device's own wall-clock
// time, and no time zone or summer time of the reading machine may move it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace report {

// Seconds since 1970-01-01 00:00:00 of the device's clock; nothing when the
// texts are no such date and time (an erased record's "255/255/255", a
// "31/02/24" left as built).
std::optional<int64_t> logTime(std::string_view data, std::string_view hora);

// "dd/mm/yyyy hh:mm:ss".
std::string formatLogTime(int64_t seconds);

} // namespace report
