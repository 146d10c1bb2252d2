// Port numbers to device paths. A folder of links com<n> lets a user (or a
// test) point any number at any device; without a link the numbers follow
// the usual Linux device families.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

// $KESTRUNE_PORTS, else $XDG_CONFIG_HOME/kestrune/ports, else
// $HOME/.config/kestrune/ports; empty when none can be formed.
std::string portsFolder();

// 1-32 -> /dev/ttyS0-31, 33-64 -> /dev/ttyUSB0-31, 65-96 -> /dev/ttyACM0-31.
std::optional<std::string> standardDevice(int32_t port);

// com<port> in `folder` when that entry exists (a dangling link counts, so
// the open fails rather than reach some other device), else standardDevice.
std::optional<std::string> resolvePort(int32_t port, const std::string& folder);

} // namespace kestrune
