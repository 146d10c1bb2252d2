// Port numbers to Windows device names.
#include "portname.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ComDeviceName, NumbersInTheDeviceNamespaceUpToEightDigits)
{
    const std::pair<int32_t, const char*> named[] = {{1, R"(\\.\COM1)"},
                                                     {3, R"(\\.\COM3)"},
                                                     {12, R"(\\.\COM12)"},
                                                     {256, R"(\\.\COM256)"},
                                                     {99999999, R"(\\.\COM99999999)"}};
    for (const auto& [port, name] : named) {
        EXPECT_EQ(kestrune::comDeviceName(port).value_or("none"), name) << port;
        EXPECT_EQ(kestrune::portDevice(port).value_or("none"), name) << port;
    }
    // Nine digits would not fit the 16 characters; cut, it would name another port.
    for (int32_t port : {0, -1, 100000000, INT32_MAX, INT32_MIN}) {
        EXPECT_FALSE(kestrune::comDeviceName(port).has_value()) << port;
    }
}

} // namespace
