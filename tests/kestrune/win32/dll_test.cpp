// kestrune.dll through its plain export names, with no port behind it: the
// binding, each argument count's calling convention, and the calls that
// must do nothing when no port is open.
#include "boundkestrune.h"

namespace ktest {
namespace {

using KestruneDll = BoundKestruneTest;

TEST_F(KestruneDll, HelpersAnswerThroughEveryArgumentCount)
{
    EXPECT_EQ(k().low(0x3A5), 0xA5u);
    EXPECT_EQ(k().high(0x123456), 0x1234u);
    EXPECT_EQ(k().bit_test(2, 33), 1u);
    EXPECT_EQ(k().bit_set(0, 7), 0x80u);
    EXPECT_EQ(k().bit_clear(0xFF, 0), 0xFEu);
    EXPECT_EQ(k().crc_calc(0xFFFF, 0x301), 0x2140u);
    // Bytes 3 and 4 of the image are register 0, high byte first.
    EXPECT_EQ(k().modbus_store(3, 0x1A5), 0x1A5u);
    EXPECT_EQ(k().modbus_store(4, 0x07), 0x07u);
    EXPECT_EQ(k().modbus_var(0), 0xA507u);
    EXPECT_EQ(k().modbus_var(148), 0u) << "past the image";
    EXPECT_EQ(k().set_timeout(10000, 1000, 1, 5000, 1000), 1u);
}

TEST_F(KestruneDll, WithNoPortOpenNothingIsSent)
{
    EXPECT_EQ(k().close_comm(), 0);
    EXPECT_EQ(k().set_baud(9600, 2), 0u);
    EXPECT_EQ(k().comm_tx(0x55), 0u);
    EXPECT_EQ(k().read_comm(), 0);
    const uint8_t bytes[] = {1, 2, 3};
    k().write_comm(bytes, 3);
    EXPECT_EQ(k().modbus_rd(1, 17500, 41), KESTRUNE_RD_NOT_WRITTEN);
    EXPECT_EQ(k().modbus_rd(1, 0, 148), 0u) << "too many registers for the image: nothing is tried";
    EXPECT_EQ(k().modbus_wr(1, 19045, 0), 0u);
    EXPECT_EQ(k().modbus_wrb(8), 0u);
    // The frame's CRC still lands in the caller's buffer, low byte first.
    uint8_t frame[8] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0xEE, 0xEE};
    EXPECT_EQ(k().modbus_buf_wr(frame, 6), 0u);
    EXPECT_EQ(frame[6], 0x84);
    EXPECT_EQ(frame[7], 0x0A);
}

TEST_F(KestruneDll, NumbersThatNameNoPortFail)
{
    // 250: no COM250 in this Wine prefix; the others have no device name.
    for (int32_t port : {250, 0, -3, 100000000}) {
        EXPECT_EQ(k().open_comm(port), KESTRUNE_OPEN_FAILED) << port;
        EXPECT_EQ(k().close_comm(), 0) << port;
    }
}

TEST_F(KestruneDll, TellsWhichDeviceANumberOpensAndWhyItDidNot)
{
    char text[128];
    ASSERT_EQ(k().port_device_name(250, text, sizeof text), 10u);
    EXPECT_STREQ(text, "\\\\.\\COM250");
    EXPECT_EQ(k().port_device_name(0, text, sizeof text), 0u);

    ASSERT_EQ(k().open_comm(250), KESTRUNE_OPEN_FAILED);
    const uint32_t length = k().last_error_text(text, sizeof text);
    ASSERT_LT(length, sizeof text);
    EXPECT_STREQ(text, "Porta 250 (\\\\.\\COM250) não existe.");
    EXPECT_EQ(k().last_error_text(nullptr, 0), length) << "the length alone, for sizing";
}

} // namespace
} // namespace ktest
