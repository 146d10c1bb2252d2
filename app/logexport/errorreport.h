// How the downloads tell an error to the user: its number, " - ", its
// description, as the database engine and the number conversions give them.
#pragma once

#include <exception>
#include <string>

namespace logexport {

// "3044 - ...", "13 - Type mismatch"; errors without a number of their own
// get the run-time's numbers for a library that cannot be loaded (48) or an
// internal error (51).
std::string errorReport(const std::exception& e);

} // namespace logexport
