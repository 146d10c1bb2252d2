#include "portname.h"

#include <cstdio>

namespace kestrune {

std::optional<std::string> comDeviceName(int32_t port)
{
    if (port < 1) {
        return std::nullopt;
    }
    char name[16];
    const int length = std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(port));
    // A cut name would be another port's: COM123456789 must not open COM12345678.
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof name) {
        return std::nullopt;
    }
    return std::string(name, static_cast<std::size_t>(length));
}

std::optional<std::string> portDevice(int32_t port)
{
    return comDeviceName(port);
}

} // namespace kestrune
