// Frames as they leave the exported face, and replies as it judges them,
// over a real pseudo-terminal.
#include "kestrunefixture.h"

namespace ktest {
namespace {

using OnTheWire = KestrunePort;

TEST_F(OnTheWire, RequestsCarryTheKnownBytes)
{
    openQuick();
    EXPECT_EQ(modbus_rd(1, 17500, 41), 0u);
    EXPECT_EQ(drain(master(), 50), (Bytes{0x01, 0x03, 0x44, 0x5C, 0x00, 0x29, 0x50, 0xF6}));
    EXPECT_EQ(modbus_wr(1, 19045, 0), 0u);
    EXPECT_EQ(drain(master(), 50), (Bytes{0x01, 0x06, 0x4A, 0x65, 0x00, 0x00, 0x8F, 0xCD}));
    EXPECT_EQ(modbus_rd(1, 0, 1), 0u);
    EXPECT_EQ(drain(master(), 50), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}));
}

TEST_F(OnTheWire, StagedFrameGoesOutWithItsCrcAlsoLeftInTheImage)
{
    openQuick();
    const Bytes frame{0x01, 0x10, 0x4A, 0x65, 0x00, 0x01, 0x02, 0x00, 0x07};
    for (uint32_t i = 0; i < frame.size(); ++i) {
        ASSERT_EQ(modbus_store(i, frame[i] | 0x300u), frame[i] | 0x300u);
    }
    ScriptedSlave slave(master(), 11, {{0, withCrc({0x01, 0x10, 0x4A, 0x65, 0x00, 0x01})}});
    EXPECT_EQ(modbus_wrb(9), 1u);
    Bytes expected = frame;
    expected.insert(expected.end(), {0x05, 0xA3});
    EXPECT_EQ(slave.request(), expected);
    // Bytes 9 and 10 are the high and low byte of register 3.
    EXPECT_EQ(modbus_var(3), 0x05A3u);
}

TEST_F(OnTheWire, GoodReplyIsReadableRegisterByRegister)
{
    openQuick();
    ScriptedSlave slave(master(),
                        8,
                        {{0, withCrc({0x01, 0x03, 0x06, 0x00, 0x7C, 0x00, 0x0C, 0x01, 0x59})}});
    ASSERT_EQ(modbus_rd(1, 17008, 3), KESTRUNE_RD_OK);
    EXPECT_EQ(modbus_var(0), 124u);
    EXPECT_EQ(modbus_var(1), 12u);
    EXPECT_EQ(modbus_var(2), 345u);
    // Register 3 overlaps the CRC; register 4 lies past the reply.
    EXPECT_EQ(modbus_var(3), 0x7116u); // CRC 71 16, low byte first
    EXPECT_EQ(modbus_var(4), 8u);
    EXPECT_EQ(modbus_var(148), 0u);
}

TEST_F(OnTheWire, FaultyRepliesGiveTheirByteCount)
{
    openQuick();
    struct {
        Bytes reply;
        uint32_t expected;
    } cases[] = {
        {{0x01, 0x83, 0x02, 0xC0, 0xF1}, 5},
        {{0x01}, KESTRUNE_RD_RUNT_FLAG | 1},
        {{0x01, 0x03}, KESTRUNE_RD_RUNT_FLAG | 2},
        {{0x01, 0x03, 0x06, 0x00, 0x7C, 0x00, 0x0C, 0x01, 0x59, 0x00, 0x00}, 11},
    };
    for (const auto& c : cases) {
        ScriptedSlave slave(master(), 8, {{0, c.reply}});
        EXPECT_EQ(modbus_rd(1, 17008, 3), c.expected) << c.reply.size() << " bytes";
    }
}

TEST_F(OnTheWire, LineGoneFailsTheWrite)
{
    openQuick();
    m_pty->hangUp();
    modbus_store(13, 0x77); // register 5, high byte
    EXPECT_EQ(modbus_rd(1, 17500, 41), KESTRUNE_RD_NOT_WRITTEN);
    EXPECT_EQ(modbus_var(5), 10u) << "the preset comes before the write";
    EXPECT_EQ(modbus_wr(1, 19045, 0), 0u);
    EXPECT_EQ(comm_tx(0x55), 0u);
}

TEST_F(OnTheWire, SilentReadLeavesThePresetPattern)
{
    openQuick();
    ASSERT_EQ(modbus_rd(1, 17500, 41), 0u);
    EXPECT_EQ(modbus_var(5), 10u);
    EXPECT_EQ(modbus_var(49), 98u);
}

} // namespace
} // namespace ktest
