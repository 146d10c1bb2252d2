// Word and bit helpers and the exported CRC step.
#include "kestrune.h"
#include "refcrc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct BitCase {
    uint32_t value, bit, tested, set, cleared;
};

class BitHelpers : public ::testing::TestWithParam<BitCase> {};

TEST_P(BitHelpers, TestSetClear)
{
    const auto& c = GetParam();
    EXPECT_EQ(bit_test(c.value, c.bit), c.tested);
    EXPECT_EQ(bit_set(c.value, c.bit), c.set);
    EXPECT_EQ(bit_clear(c.value, c.bit), c.cleared);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         BitHelpers,
                         ::testing::Values(BitCase{0x100, 8, 1, 0x100, 0},
                                           BitCase{0x100, 7, 0, 0x180, 0x100},
                                           BitCase{2, 33, 1, 2, 0}, // bit numbers wrap at 32
                                           BitCase{0, 7, 0, 0x80, 0},
                                           BitCase{0xFF, 0, 1, 0xFF, 0xFE},
                                           BitCase{0xFE, 0, 0, 0xFF, 0xFE},
                                           BitCase{0, 31, 0, 0x80000000u, 0},
                                           BitCase{0xFFFFFFFFu, 63, 1, 0xFFFFFFFFu, 0x7FFFFFFFu}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ByteHelpers, LowAndHigh)
{
    EXPECT_EQ(low(0x3A5), 0xA5u);
    EXPECT_EQ(high(0x3A5), 3u);
    EXPECT_EQ(high(0x123456), 0x1234u);
    EXPECT_EQ(low(0xFFFFFF00u), 0u);
}

TEST(CrcStep, MatchesTheCrcOfTheBytesLowFirst)
{
    EXPECT_EQ(crc_calc(0xFFFF, 0x301), 0x2140u); // CRC of 01 03
    const uint16_t words[] = {0x0103, 0xBEEF, 0x0000, 0xFFFF, 0x8001, 0x1234};
    ktest::Bytes bytes;
    uint32_t running = 0xFFFF;
    for (uint16_t w : words) {
        running = crc_calc(running, w);
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
        EXPECT_EQ(running, ktest::referenceCrc(bytes.data(), bytes.size())) << bytes.size();
    }
}

TEST(ReferenceCrc, AgreesWithThePublishedVector)
{
    const uint8_t frame[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(ktest::referenceCrc(frame, sizeof frame), 0x0A84);
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(ktest::referenceCrc(check, sizeof check), 0x4B37); // CRC-16/MODBUS check value
}

TEST(CModbusClass, AssignmentReturnsItself)
{
    CModbus a;
    CModbus b;
    EXPECT_EQ(&(a = b), &a);
}

} // namespace
