// The one line in Portuguese that last_error_text gives after a failed
// open_comm: which device the number stands for and why it did not open.
#pragma once

#include "serialport.h"

#include <cstdint>
#include <string>

namespace kestrune {

// Empty after an open that succeeded.
std::string openFailureText(int32_t port, const OpenError& error);

// For a number that names no device at all.
std::string noDeviceText(int32_t port);

} // namespace kestrune
