// The serial ports present, from a sysfs tree of our own, numbered by the
// real library's mapping (links in a private ports folder).
#include "connection/comports.h"
#include "connection/dynamickestrune.h"
#include "connection/serialports.h"
#include "fakesysfs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SerialPortsTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("logqvr-serialports-" + std::to_string(getpid()));
        fs::create_directories(m_dir / "ports");
        ::setenv("KESTRUNE_PORTS", (m_dir / "ports").c_str(), 1);
        sysfs = std::make_unique<FakeSysfs>(m_dir / "sys");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void link(int port, const std::string& target)
    {
        fs::create_symlink(target, m_dir / "ports" / ("com" + std::to_string(port)));
    }

    std::vector<PortEntry> list()
    {
        return listPorts(scanSerialDevices(sysfs->root()), libraryMapping(lib));
    }

    fs::path m_dir;
    std::unique_ptr<FakeSysfs> sysfs;
    DynamicKestrune lib;
};

TEST_F(SerialPortsTest, OnlyRealPortsAreFoundWithTheirUsbNames)
{
    sysfs->onBoard("ttyS0", 4);
    sysfs->onBoard("ttyS1", 0);
    sysfs->usbSerial("ttyUSB0", "1-2", "FTDI", "FT232R USB UART");
    sysfs->usbModem("ttyACM0", "1-3", "Arduino (www.arduino.cc)", "Uno");
    sysfs->other("tty0");
    sysfs->other("ttyprintk");
    const std::vector<SerialDevice> expected = {
        {"/dev/ttyS0", "", ""},
        {"/dev/ttyUSB0", "FTDI", "FT232R USB UART"},
        {"/dev/ttyACM0", "Arduino (www.arduino.cc)", "Uno"},
    };
    EXPECT_EQ(scanSerialDevices(sysfs->root()), expected);
    EXPECT_TRUE(scanSerialDevices((m_dir / "nothing").string()).empty());

    ::setenv("LOGQVR_SYSFS_ROOT", sysfs->root().c_str(), 1);
    EXPECT_EQ(sysfsRoot(), sysfs->root().string());
    ::unsetenv("LOGQVR_SYSFS_ROOT");
    EXPECT_EQ(sysfsRoot(), "/sys");
}

TEST_F(SerialPortsTest, EachNumberThatReachesAPortAndEveryLink)
{
    sysfs->onBoard("ttyS0", 4);
    sysfs->usbSerial("ttyUSB0", "1-2", "FTDI", "FT232R USB UART");
    sysfs->usbSerial("ttyUSB40", "1-4", "", "CP2102");
    link(3, "/dev/ttyUSB0");
    link(9, "/nonexistent/ttyACM9");
    const std::string folder = (m_dir / "ports").string();
    const std::vector<PortEntry> expected = {
        {1, "/dev/ttyS0", "", true, "", ""},
        {3, "/dev/ttyUSB0", "com3", true, "FTDI", "FT232R USB UART"},
        {9, "/nonexistent/ttyACM9", "com9", false, "", ""},
        {33, "/dev/ttyUSB0", "", true, "FTDI", "FT232R USB UART"},
        {std::nullopt, "/dev/ttyUSB40", "", true, "", "CP2102"},
    };
    const std::vector<PortEntry> entries = list();
    EXPECT_EQ(entries, expected);
    ASSERT_EQ(entries.size(), expected.size());
    EXPECT_EQ(describePort(entries[1]), "Porta 3 — /dev/ttyUSB0 (com3) — FTDI FT232R USB UART");
    EXPECT_EQ(describePort(entries[2]), "Porta 9 — /nonexistent/ttyACM9 (com9) — não existe");
    EXPECT_EQ(describePort(entries[4]), "Sem número — /dev/ttyUSB40 — CP2102");

    // A library without the mapping still lists the devices, unnumbered.
    DynamicKestrune old("libc.so.6");
    for (const PortEntry& entry : listPorts(scanSerialDevices(sysfs->root()), libraryMapping(old)))
        EXPECT_FALSE(entry.port) << entry.device;
}

TEST(ComPorts, DeviceNodesThenSerialcommByNumberInAnyCase)
{
    const std::vector<PortEntry> entries = comPortEntries(
        {{"COM12", "USB Serial Port", "FTDI"}, {"LPT1", "Printer Port", ""}, {"Com4", "Modem", ""}},
        {"COM4", "com3", "COM300", "COMX", "COM12"});
    const std::vector<PortEntry> expected = {
        {3, "COM3", "", true, "", ""},
        {4, "COM4", "", true, "", "Modem"},
        {12, "COM12", "", true, "FTDI", "USB Serial Port"},
        {std::nullopt, "COM300", "", true, "", ""},
    };
    EXPECT_EQ(entries, expected);
}

} // namespace
