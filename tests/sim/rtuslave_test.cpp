#include "refcrc.h"
#include "rtuslave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

using Bytes = std::vector<uint8_t>;

namespace {

Bytes withCrc(Bytes frame)
{
    const uint16_t crc = simtest::refCrc16(frame);
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

Bytes readRequest(uint8_t slave, uint16_t reg, uint16_t count)
{
    return withCrc({slave,
                    3,
                    static_cast<uint8_t>(reg >> 8),
                    static_cast<uint8_t>(reg),
                    static_cast<uint8_t>(count >> 8),
                    static_cast<uint8_t>(count)});
}

std::vector<sim::Request> feedAll(sim::FrameAssembler& a, const Bytes& bytes, bool byteByByte)
{
    std::vector<sim::Request> out;
    if (byteByByte) {
        for (uint8_t b : bytes) {
            a.feed(&b, 1);
            while (auto q = a.next())
                out.push_back(*q);
        }
    } else {
        a.feed(bytes.data(), bytes.size());
        while (auto q = a.next())
            out.push_back(*q);
    }
    return out;
}

// Everything the assembler yields from the bytes, the line falling quiet after them.
std::vector<sim::Request> untilQuiet(sim::FrameAssembler& a, const Bytes& bytes)
{
    std::vector<sim::Request> out = feedAll(a, bytes, true);
    while (auto q = a.quiet())
        out.push_back(*q);
    return out;
}

} // namespace

// --- framing -------------------------------------------------------------

TEST(Framing, TakesTheTextbookReadRequestWholeOrByteByByte)
{
    // Read 10 registers from 0 at slave 1, as every Modbus tutorial sends it.
    const Bytes frame = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD};
    for (bool byteByByte : {false, true}) {
        sim::FrameAssembler a(1);
        const auto got = feedAll(a, frame, byteByByte);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].function, 3);
        EXPECT_EQ(got[0].reg, 0);
        EXPECT_EQ(got[0].countOrValue, 10);
        EXPECT_FALSE(a.pending());
    }
}

TEST(Framing, ResyncsPastGarbageAndBadCrc)
{
    Bytes corrupt = readRequest(1, 17008, 3);
    corrupt[7] ^= 0x01;
    Bytes line = {0xAA, 0x01, 0x03};
    line.insert(line.end(), corrupt.begin(), corrupt.end());
    const Bytes good = readRequest(1, 17161, 1);
    line.insert(line.end(), good.begin(), good.end());

    sim::FrameAssembler a(1);
    auto got = untilQuiet(a, line);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].reg, 17161);
    EXPECT_FALSE(a.pending());
}

TEST(Framing, GarbageThatLooksLikeAnUnknownFunctionWaitsForTheQuietLine)
{
    Bytes line = {0x01, 0x55, 0x12};
    const Bytes good = readRequest(1, 17161, 1);
    line.insert(line.end(), good.begin(), good.end());
    sim::FrameAssembler a(1);
    EXPECT_TRUE(feedAll(a, line, false).empty());
    auto q = a.quiet();
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->reg, 17161);
    EXPECT_FALSE(a.quiet().has_value());
    EXPECT_FALSE(a.pending());

    // Sized once: GCC 12 at -O3 misjudges the bounds of a growing insert here.
    Bytes flood(300 + good.size(), 0x55);
    std::copy(good.begin(), good.end(), flood.end() - static_cast<std::ptrdiff_t>(good.size()));
    EXPECT_EQ(untilQuiet(a, flood).size(), 1u);
}

TEST(Framing, DropsWholeFramesForOtherSlavesButKeepsBroadcasts)
{
    Bytes line = readRequest(2, 17008, 3);
    const Bytes mine = readRequest(7, 17011, 1);
    const Bytes broadcast = withCrc({0, 6, 0x4A, 0x65, 0x00, 0x05});
    line.insert(line.end(), mine.begin(), mine.end());
    line.insert(line.end(), broadcast.begin(), broadcast.end());

    sim::FrameAssembler a(7);
    auto got = feedAll(a, line, false);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].reg, 17011);
    EXPECT_EQ(got[1].slave, 0);
}

TEST(Framing, QuietLineDropsAHalfFrame)
{
    sim::FrameAssembler a(1);
    const Bytes half = {0x01, 0x03, 0x42, 0x70};
    feedAll(a, half, false);
    EXPECT_TRUE(a.pending());
    EXPECT_FALSE(a.quiet().has_value());
    EXPECT_FALSE(a.pending());
    // The next frame starts clean.
    EXPECT_EQ(feedAll(a, readRequest(1, 17043, 1), false).size(), 1u);
}

TEST(Framing, UnknownFunctionsAreClosedByTheirCrcWhenTheLineFallsQuiet)
{
    sim::FrameAssembler a(1);
    const Bytes odd = withCrc({0x01, 0x11}); // report slave id: no payload
    EXPECT_TRUE(feedAll(a, odd, false).empty());
    auto q = a.quiet();
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->function, 0x11);

    // Function 16 has a byte count, so its length is known up front.
    const Bytes multiple = withCrc({0x01, 0x10, 0x4A, 0x65, 0x00, 0x02, 0x04, 0, 1, 0, 2});
    auto got = feedAll(a, multiple, true);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].function, 16);
}

// --- answers ---------------------------------------------------------------

class Answers : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.records.assign(3, sim::erasedRecord());
        for (int i = 0; i < 41; ++i)
            state.records[0][i] = static_cast<uint16_t>(0x0100 + i);
    }

    sim::Answer ask(uint8_t function, uint16_t reg, uint16_t value)
    {
        sim::Request q;
        q.slave = 1;
        q.function = function;
        q.reg = reg;
        q.countOrValue = value;
        return sim::answer(q, state);
    }

    sim::DeviceState state;
};

TEST_F(Answers, IdentificationReplyIsTheStandardFunction3Frame)
{
    EXPECT_EQ(ask(3, sim::kRegIdent, 3).frame,
              withCrc({0x01, 0x03, 0x06, 0x00, 0x7C, 0x00, 0x0C, 0x01, 0x59}));
    // A read may start inside a block and stop short of its end.
    EXPECT_EQ(ask(3, sim::kRegIdent + 1, 2).frame, withCrc({0x01, 0x03, 0x04, 0, 12, 0x01, 0x59}));
    state.logPointer = 0x2A3C;
    EXPECT_EQ(ask(3, sim::kRegLogPointer, 1).frame, withCrc({0x01, 0x03, 0x02, 0x2A, 0x3C}));
}

TEST_F(Answers, ExceptionsForUnknownAddressesSizesAndFunctions)
{
    // The textbook illegal-address exception of slave 1, function 3.
    EXPECT_EQ(ask(3, 1000, 1).frame, (Bytes{0x01, 0x83, 0x02, 0xC0, 0xF1}));
    EXPECT_EQ(ask(3, sim::kRegIdent, 4).frame, withCrc({0x01, 0x83, 0x02}));
    EXPECT_EQ(ask(3, sim::kRegLogWindow, 42).frame, withCrc({0x01, 0x83, 0x02}));
    EXPECT_EQ(ask(3, sim::kRegResetWindow - 1, 2).frame, withCrc({0x01, 0x83, 0x02}));
    EXPECT_EQ(ask(3, sim::kRegIdent, 0).frame, withCrc({0x01, 0x83, 0x03}));
    EXPECT_EQ(ask(4, sim::kRegIdent, 3).frame, withCrc({0x01, 0x84, 0x01}));
    EXPECT_EQ(ask(16, sim::kRegLogSelect, 1).frame, withCrc({0x01, 0x90, 0x01}));
    EXPECT_EQ(ask(6, sim::kRegIdent, 1).frame, withCrc({0x01, 0x86, 0x02}));
    EXPECT_EQ(ask(6, sim::kRegResetSelect, 78).frame, withCrc({0x01, 0x86, 0x03}));
    EXPECT_EQ(state.resetSelect, 0);
}

TEST_F(Answers, SelectWriteIsEchoedAndPicksRecordOneAbove)
{
    EXPECT_EQ(ask(6, sim::kRegLogSelect, 0xFFFF).frame,
              withCrc({0x01, 0x06, 0x4A, 0x65, 0xFF, 0xFF}));
    sim::Answer a = ask(3, sim::kRegLogWindow, 41);
    EXPECT_EQ(a.servedRecord, 0);
    ASSERT_EQ(a.frame.size(), 87u);
    EXPECT_EQ(a.frame[3], 0x01);
    EXPECT_EQ(a.frame[4], 0x00);
    EXPECT_EQ(a.frame[83], 0x01); // w40 = 0x0128
    EXPECT_EQ(a.frame[84], 0x28);

    ask(6, sim::kRegLogSelect, 2); // record 3: past the stored ones
    a = ask(3, sim::kRegLogWindow, 41);
    EXPECT_EQ(a.servedRecord, 3);
    for (std::size_t i = 3; i < 85; ++i)
        ASSERT_EQ(a.frame[i], 0xFF) << "byte " << i;
}

TEST_F(Answers, ResetSlotSelectAndBroadcastWrites)
{
    state.resetLog[77].fill(0x1234);
    sim::Request q{0, 6, sim::kRegResetSelect, 77};
    EXPECT_TRUE(sim::answer(q, state).frame.empty());
    EXPECT_EQ(state.resetSelect, 77);
    const sim::Answer a = ask(3, sim::kRegResetWindow, 26);
    ASSERT_EQ(a.frame.size(), 57u);
    EXPECT_EQ(a.frame[2], 52);
    EXPECT_EQ(a.frame[3], 0x12);
    EXPECT_EQ(a.frame[54], 0x34);
    EXPECT_EQ(a.servedRecord, -1);
}
