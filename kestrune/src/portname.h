// Port numbers to device names. The number is the interface everywhere;
// each system maps it its own way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

// What port number `port` opens on this system; none when it names no port.
std::optional<std::string> portDevice(int32_t port);

#ifdef _WIN32

// "\\.\COM<n>": the device namespace reaches COM10 and above, which the
// bare "COM<n>" form does not. Built in 16 characters with its terminator,
// so n has at most 8 digits; numbers below 1 or above 99999999 name no port.
std::optional<std::string> comDeviceName(int32_t port);

#else

// A folder of links com<n> lets a user (or a test) point any number at any
// device; without a link the numbers follow the usual Linux device families.

// $KESTRUNE_PORTS, else $XDG_CONFIG_HOME/kestrune/ports, else
// $HOME/.config/kestrune/ports; empty when none can be formed.
std::string portsFolder();

// 1-32 -> /dev/ttyS0-31, 33-64 -> /dev/ttyUSB0-31, 65-96 -> /dev/ttyACM0-31.
std::optional<std::string> standardDevice(int32_t port);

// com<port> in `folder` when that entry exists (a dangling link counts, so
// the open fails rather than reach some other device), else standardDevice.
std::optional<std::string> resolvePort(int32_t port, const std::string& folder);

#endif

} // namespace kestrune
