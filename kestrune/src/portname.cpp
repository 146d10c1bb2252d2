#include "portname.h"

#include <cstdlib>
#include <sys/stat.h>

namespace kestrune {

namespace {

struct DeviceFamily {
    int32_t first;
    const char* prefix;
};

constexpr int32_t kFamilySize = 32;
constexpr DeviceFamily kFamilies[] = {
    {1, "/dev/ttyS"},
    {33, "/dev/ttyUSB"},
    {65, "/dev/ttyACM"},
};

std::string envOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string portsFolder()
{
    std::string folder = envOrEmpty("KESTRUNE_PORTS");
    if (!folder.empty()) {
        return folder;
    }
    std::string config = envOrEmpty("XDG_CONFIG_HOME");
    if (config.empty()) {
        std::string home = envOrEmpty("HOME");
        if (home.empty()) {
            return {};
        }
        config = home + "/.config";
    }
    return config + "/kestrune/ports";
}

std::optional<std::string> standardDevice(int32_t port)
{
    for (const auto& family : kFamilies) {
        if (port >= family.first && port < family.first + kFamilySize) {
            return family.prefix + std::to_string(port - family.first);
        }
    }
    return std::nullopt;
}

std::optional<std::string> resolvePort(int32_t port, const std::string& folder)
{
    if (port < 1) {
        return std::nullopt;
    }
    if (!folder.empty()) {
        std::string link = folder + "/com" + std::to_string(port);
        struct stat info {};
        if (lstat(link.c_str(), &info) == 0) {
            return link;
        }
    }
    return standardDevice(port);
}

std::optional<std::string> portDevice(int32_t port)
{
    return resolvePort(port, portsFolder());
}

} // namespace kestrune
