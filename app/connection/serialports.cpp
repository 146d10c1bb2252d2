#include "connection/serialports.h"

#include "core/kestruneapi.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kFirstPort = 1;
constexpr int32_t kLastPort = 255; // the window takes 1 to 255
// From a USB serial port's sysfs folder up to its USB device: the port, then
// the interface, then the device; a little slack for hubs' odd layouts.
constexpr int kUsbLevels = 4;

struct Family {
    const char* prefix;
    bool usb;
};

// On-board UARTs first: they keep their numbers from boot to boot.
constexpr Family kFamilies[] = {{"ttyS", false}, {"ttyUSB", true}, {"ttyACM", true}};

// The family index and number of "ttyUSB12", none for any other tty.
std::optional<std::pair<std::size_t, long>> familyOf(const std::string& name)
{
    for (std::size_t i = 0; i < std::size(kFamilies); ++i) {
        const std::string prefix = kFamilies[i].prefix;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        return std::make_pair(i, std::strtol(digits.c_str(), nullptr, 10));
    }
    return std::nullopt;
}

// First line of a sysfs attribute, blanks trimmed; empty when unreadable.
std::string attribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// A ttyS entry exists for every possible 8250 slot; only those with a UART
// type other than 0 (unknown) have a chip behind them.
bool hasUart(const fs::path& ttyFolder)
{
    const std::string type = attribute(ttyFolder / "type");
    return !type.empty() && std::strtol(type.c_str(), nullptr, 10) != 0;
}

void readUsbNames(const fs::path& root, const fs::path& ttyFolder, SerialDevice& device)
{
    std::error_code error;
    const fs::path realRoot = fs::canonical(root, error);
    fs::path at = fs::canonical(ttyFolder / "device", error);
    if (error)
        return;
    for (int level = 0; level < kUsbLevels && at.has_relative_path(); ++level) {
        if (fs::exists(at / "idVendor", error)) {
            device.maker = attribute(at / "manufacturer");
            device.product = attribute(at / "product");
            return;
        }
        at = at.parent_path();
        // Never above the tree asked for: a test's tree must not read the machine's.
        if (std::mismatch(realRoot.begin(), realRoot.end(), at.begin(), at.end()).first !=
            realRoot.end())
            return;
    }
}

// The device a mapped name finally opens: a link is followed, relative to its
// own folder, even when its target is gone.
fs::path followLink(const fs::path& name)
{
    std::error_code error;
    const fs::path target = fs::read_symlink(name, error);
    if (error)
        return name;
    const fs::path absolute = target.is_absolute() ? target : name.parent_path() / target;
    const fs::path canonical = fs::canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

bool isLink(const std::string& name)
{
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(name, error));
}

} // namespace

std::string sysfsRoot()
{
    const char* root = std::getenv("LOGQVR_SYSFS_ROOT");
    return root && *root ? std::string(root) : std::string("/sys");
}

std::vector<SerialDevice> scanSerialDevices(const std::string& root)
{
    std::map<std::pair<std::size_t, long>, SerialDevice> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / "class" / "tty", error)) {
        const std::string name = entry.path().filename().string();
        const auto family = familyOf(name);
        if (!family)
            continue;
        const bool usb = kFamilies[family->first].usb;
        if (!usb && !hasUart(entry.path()))
            continue;
        SerialDevice device;
        device.path = "/dev/" + name;
        if (usb)
            readUsbNames(root, entry.path(), device);
        found.emplace(*family, device);
    }
    std::vector<SerialDevice> devices;
    for (auto& [key, device] : found)
        devices.push_back(device);
    return devices;
}

std::vector<PortEntry> listPorts(const std::vector<SerialDevice>& devices,
                                 const PortMapping& mapping)
{
    std::vector<PortEntry> entries;
    std::vector<bool> reached(devices.size(), false);
    for (int32_t port = kFirstPort; port <= kLastPort; ++port) {
        const std::optional<std::string> name = mapping(port);
        if (!name)
            continue;
        const bool link = isLink(*name);
        const std::string device = link ? followLink(*name).string() : *name;
        const auto it = std::find_if(devices.begin(), devices.end(), [&](const SerialDevice& d) {
            return d.path == device;
        });
        if (it == devices.end() && !link)
            continue;
        PortEntry entry;
        entry.port = port;
        entry.device = device;
        if (link)
            entry.link = fs::path(*name).filename().string();
        if (it != devices.end()) {
            reached[static_cast<std::size_t>(it - devices.begin())] = true;
            entry.maker = it->maker;
            entry.product = it->product;
        } else {
            std::error_code error;
            entry.present = fs::exists(device, error);
        }
        entries.push_back(entry);
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (!reached[i])
            entries.push_back(
                {std::nullopt, devices[i].path, {}, true, devices[i].maker, devices[i].product});
    }
    return entries;
}

PortMapping libraryMapping(KestruneApi& lib)
{
    return [&lib](int32_t port) { return lib.portDeviceName(port); };
}

std::string describePort(const PortEntry& entry)
{
    std::string text = entry.port ? "Porta " + std::to_string(*entry.port) : "Sem número";
    text += " — " + entry.device;
    if (!entry.link.empty())
        text += " (" + entry.link + ")";
    if (!entry.present)
        text += " — não existe";
    std::string usb = entry.maker;
    if (!entry.product.empty())
        usb += (usb.empty() ? "" : " ") + entry.product;
    if (!usb.empty())
        text += " — " + usb;
    return text;
}
