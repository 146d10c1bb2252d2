// A sysfs tree of our own, laid out as the kernel lays out /sys/class/tty and
// the devices behind it (relative links, USB attributes two levels above a
// ttyUSB port and one above a ttyACM interface), so the port list can be
// tested without the machine's own serial hardware.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

class FakeSysfs {
public:
    explicit FakeSysfs(const std::filesystem::path& root) : m_root(root)
    {
        std::filesystem::create_directories(root / "class/tty");
    }

    const std::filesystem::path& root() const { return m_root; }

    // An on-board port; uartType 0 is a slot with no chip behind it.
    void onBoard(const std::string& name, int uartType)
    {
        const auto folder = device("devices/pnp0/00:0" + name.substr(4) + "/tty/" + name, name);
        write(folder / "type", std::to_string(uartType));
    }

    // A USB serial adapter: usb1/<bus>/<bus>:1.0/ttyUSBn/tty/ttyUSBn.
    void usbSerial(const std::string& name,
                   const std::string& bus,
                   const std::string& maker,
                   const std::string& product)
    {
        const std::string usb = "devices/pci0000:00/usb1/" + bus;
        usbDevice(usb, maker, product);
        const auto folder = device(usb + "/" + bus + ":1.0/" + name + "/tty/" + name, name);
        std::filesystem::create_directory_symlink("../../../" + name, folder / "device");
    }

    // A USB modem: usb1/<bus>/<bus>:1.0/tty/ttyACMn.
    void usbModem(const std::string& name,
                  const std::string& bus,
                  const std::string& maker,
                  const std::string& product)
    {
        const std::string usb = "devices/pci0000:00/usb1/" + bus;
        usbDevice(usb, maker, product);
        const auto folder = device(usb + "/" + bus + ":1.0/tty/" + name, name);
        std::filesystem::create_directory_symlink("../../../" + bus + ":1.0", folder / "device");
    }

    // A tty that is no serial port (virtual consoles and the like).
    void other(const std::string& name) { device("devices/virtual/tty/" + name, name); }

private:
    std::filesystem::path device(const std::string& path, const std::string& name)
    {
        std::filesystem::create_directories(m_root / path);
        std::filesystem::create_directory_symlink("../../" + path, m_root / "class/tty" / name);
        return m_root / path;
    }

    void usbDevice(const std::string& path, const std::string& maker, const std::string& product)
    {
        std::filesystem::create_directories(m_root / path);
        write(m_root / path / "idVendor", "0403");
        write(m_root / path / "manufacturer", maker);
        write(m_root / path / "product", product);
    }

    static void write(const std::filesystem::path& file, const std::string& text)
    {
        std::ofstream(file) << text << "\n";
    }

    std::filesystem::path m_root;
};
