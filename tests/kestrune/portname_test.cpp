// Port numbers to device paths.
#include "portname.h"
#include "ptyharness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(PortName, StandardFamiliesCoverOneToNinetySix)
{
    const std::pair<int32_t, const char*> known[] = {{1, "/dev/ttyS0"},
                                                     {32, "/dev/ttyS31"},
                                                     {33, "/dev/ttyUSB0"},
                                                     {64, "/dev/ttyUSB31"},
                                                     {65, "/dev/ttyACM0"},
                                                     {96, "/dev/ttyACM31"}};
    for (const auto& [port, path] : known) {
        EXPECT_EQ(kestrune::standardDevice(port).value_or("none"), path) << port;
    }
    for (int32_t port : {0, -1, 97, 256, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(kestrune::standardDevice(port).has_value()) << port;
        EXPECT_FALSE(kestrune::resolvePort(port, "").has_value()) << port;
    }
}

TEST(PortName, LinkFolderWinsWhenTheEntryExists)
{
    ktest::PortFolder folder;
    folder.link(3, "/dev/null");
    folder.link(100, "/no/such/device"); // dangling: still chosen
    EXPECT_EQ(kestrune::resolvePort(3, folder.path()), folder.path() + "/com3");
    EXPECT_EQ(kestrune::resolvePort(100, folder.path()), folder.path() + "/com100");
    EXPECT_EQ(kestrune::resolvePort(4, folder.path()), "/dev/ttyS3");
    EXPECT_FALSE(kestrune::resolvePort(0, folder.path()).has_value());
}

TEST(PortName, FolderComesFromTheEnvironment)
{
    ktest::PortFolder folder; // sets KESTRUNE_PORTS
    EXPECT_EQ(kestrune::portsFolder(), folder.path());
    unsetenv("KESTRUNE_PORTS");
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(kestrune::portsFolder(), "/tmp/cfg/kestrune/ports");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/tech", 1);
    EXPECT_EQ(kestrune::portsFolder(), "/home/tech/.config/kestrune/ports");
}

} // namespace
