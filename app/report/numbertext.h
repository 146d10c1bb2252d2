// Numbers as text, the same on every system and in every locale: the
// shortest digits that read back as the same double, never an exponent for
// the values a log holds. The page's script writes them the same way.
#pragma once

#include <string>

namespace report {

std::string numberText(double v);
// With a decimal comma, for spreadsheets set to Portuguese.
std::string numberTextComma(double v);

} // namespace report
