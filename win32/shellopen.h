// A file handed to the program the user chose for its kind (a report to the
// default browser), through the shell's open verb.
#pragma once

#include <string>

namespace win32 {

// False when the shell started nothing.
bool shellOpen(const std::string& utf8Path);

} // namespace win32
