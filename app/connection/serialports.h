// The serial ports present on this machine, each with the port numbers that
// reach it, for a technician who cannot know that the adapter just plugged in
// became /dev/ttyUSB0 and that this is port 33. Devices come from sysfs; the
// numbers come from the device library's own mapping, asked number by number,
// so the list can never disagree with what open_comm opens.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class KestruneApi;

// A serial device the kernel reports: ttyS with a UART behind it, ttyUSB, ttyACM.
struct SerialDevice {
    std::string path; // "/dev/ttyUSB0"
    // From the USB device's sysfs attributes; empty for on-board ports.
    std::string maker;
    std::string product;

    bool operator==(const SerialDevice&) const = default;
};

// $LOGQVR_SYSFS_ROOT when set (tests give a tree of their own), else "/sys".
std::string sysfsRoot();

// The devices under `root`/class/tty, on-board ports first, then USB serial
// adapters, then USB modems, each family in number order.
std::vector<SerialDevice> scanSerialDevices(const std::string& root);

// What open_comm(port) would open: a device name, none when the number names
// no port (or the library cannot say).
using PortMapping = std::function<std::optional<std::string>(int32_t port)>;

struct PortEntry {
    std::optional<int32_t> port; // none: no number from 1 to 255 reaches the device
    std::string device;          // the device opened, a link's target already followed
    std::string link;            // the com<n> link the number goes through, if any
    bool present = true;         // false for a link whose target is gone
    std::string maker;
    std::string product;

    bool operator==(const PortEntry&) const = default;
};

// One entry per number from 1 to 255 that reaches a present device, and one
// per com<n> link even when its target is gone (the open would fail, and the
// technician should see why); then the devices no number reaches. Ordered by
// number.
std::vector<PortEntry> listPorts(const std::vector<SerialDevice>& devices,
                                 const PortMapping& mapping);

// The library's mapping; with a library too old to tell, no number maps.
PortMapping libraryMapping(KestruneApi& lib);

// One line for the "Portas" menu and for the terminal:
// "Porta 33 — /dev/ttyUSB0 — FTDI FT232R USB UART".
std::string describePort(const PortEntry& entry);
