// The RTU master over an in-memory transport: frames sent, replies judged,
// the register image kept.
#include "refcrc.h"
#include "rtumaster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>

using kestrune::RegisterImage;
using kestrune::RtuMaster;
using ktest::Bytes;

namespace {

// Delivers one scripted reply per read and logs every call in order.
class FakeTransport : public kestrune::Transport {
public:
    explicit FakeTransport(const RegisterImage* watched = nullptr) : m_watched(watched) {}

    void purgeInput() override { log += "P"; }
    std::ptrdiff_t write(const uint8_t* data, std::size_t length) override
    {
        log += "W";
        written.emplace_back(data, data + length);
        if (m_watched != nullptr) {
            imageAtWrite.assign(m_watched->data(), m_watched->data() + kestrune::kImageBytes);
        }
        return writeResult.value_or(static_cast<std::ptrdiff_t>(length));
    }
    std::size_t read(uint8_t* data, std::size_t length) override
    {
        log += "R";
        asked.push_back(length);
        if (replies.empty()) {
            return 0;
        }
        Bytes reply = replies.front();
        replies.pop_front();
        const std::size_t n = std::min(length, reply.size());
        std::copy_n(reply.begin(), n, data);
        return n;
    }

    std::string log;
    std::vector<Bytes> written;
    std::vector<std::size_t> asked;
    std::deque<Bytes> replies;
    std::optional<std::ptrdiff_t> writeResult;
    Bytes imageAtWrite;

private:
    const RegisterImage* m_watched;
};

Bytes readReply(uint8_t slave, const std::vector<uint16_t>& words)
{
    Bytes frame{slave, 0x03, static_cast<uint8_t>(2 * words.size())};
    for (uint16_t w : words) {
        frame.push_back(static_cast<uint8_t>(w >> 8));
        frame.push_back(static_cast<uint8_t>(w));
    }
    return ktest::withCrc(frame);
}

std::vector<uint16_t> rampWords(std::size_t count, uint16_t seed)
{
    std::vector<uint16_t> words(count);
    for (std::size_t i = 0; i < count; ++i) {
        words[i] = static_cast<uint16_t>(seed + 0x0101 * i);
    }
    return words;
}

struct FrameCase {
    const char* name;
    bool isRead;
    uint32_t slave, address, countOrValue;
    Bytes expected;
    std::size_t replyBytes;
};

class RequestFraming : public ::testing::TestWithParam<FrameCase> {};

TEST_P(RequestFraming, SendsTheKnownFrameAfterPurgingAndAsksForTheReplyLength)
{
    const auto& c = GetParam();
    RegisterImage image;
    FakeTransport wire;
    RtuMaster master(wire, image);
    if (c.isRead) {
        master.readHolding(c.slave, c.address, c.countOrValue);
    } else {
        master.writeSingle(c.slave, c.address, c.countOrValue);
    }
    EXPECT_EQ(wire.log, "PWR");
    ASSERT_EQ(wire.written.size(), 1u);
    EXPECT_EQ(wire.written[0], c.expected);
    ASSERT_EQ(wire.asked.size(), 1u);
    EXPECT_EQ(wire.asked[0], c.replyBytes);
}

INSTANTIATE_TEST_SUITE_P(
    KnownVectors,
    RequestFraming,
    ::testing::Values(
        FrameCase{"Read41At17500",
                  true,
                  1,
                  17500,
                  41,
                  {0x01, 0x03, 0x44, 0x5C, 0x00, 0x29, 0x50, 0xF6},
                  87},
        FrameCase{"Write0At19045",
                  false,
                  1,
                  19045,
                  0,
                  {0x01, 0x06, 0x4A, 0x65, 0x00, 0x00, 0x8F, 0xCD},
                  8},
        FrameCase{"Read1At0", true, 1, 0, 1, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}, 7},
        // Only the low 8 bits of the address and low 16 of each field go out.
        FrameCase{"WideArgumentsAreCut",
                  true,
                  0x101,
                  0x14270,
                  3,
                  {0x01, 0x03, 0x42, 0x70, 0x00, 0x03, 0x10, 0x68},
                  11},
        FrameCase{"WideValueIsCut",
                  false,
                  0x201,
                  0x14A65,
                  0xF0000,
                  {0x01, 0x06, 0x4A, 0x65, 0x00, 0x00, 0x8F, 0xCD},
                  8}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReplyCase {
    const char* name;
    Bytes reply;
    uint32_t expected;
};

class ReadReplyChecks : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReadReplyChecks, ResultFollowsLengthAndCrcOnly)
{
    RegisterImage image;
    FakeTransport wire;
    RtuMaster master(wire, image);
    wire.replies.push_back(GetParam().reply);
    EXPECT_EQ(master.readHolding(1, 17008, 3), GetParam().expected);
}

Bytes corruptLast(Bytes frame)
{
    frame.back() ^= 0x01;
    return frame;
}

Bytes firstBytes(Bytes frame, std::size_t n)
{
    frame.resize(n);
    return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    ReadReplyChecks,
    ::testing::Values(ReplyCase{"Good", readReply(1, {124, 12, 345}), 1},
                      // Address and byte count are not judged: a good CRC is enough.
                      ReplyCase{"OtherSlaveWithGoodCrc", readReply(9, {1, 2, 3}), 1},
                      ReplyCase{"BadCrc", corruptLast(readReply(1, {124, 12, 345})), 11},
                      ReplyCase{"Exception", {0x01, 0x83, 0x02, 0xC0, 0xF1}, 5},
                      ReplyCase{"Truncated", firstBytes(readReply(1, {124, 12, 345}), 7), 7},
                      ReplyCase{"Silent", {}, 0},
                      ReplyCase{"RuntOfOne", {0x01}, 0x80000001u},
                      ReplyCase{"RuntOfTwo", {0x01, 0x03}, 0x80000002u}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadHolding, GoodReplyLandsWholeInTheImage)
{
    RegisterImage image;
    FakeTransport wire;
    RtuMaster master(wire, image);
    const auto words = rampWords(41, 0x8001);
    const Bytes reply = readReply(1, words);
    wire.replies.push_back(reply);
    ASSERT_EQ(master.readHolding(1, 17500, 41), 1u);
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), image.data()));
    for (uint32_t k = 0; k < 41; ++k) {
        EXPECT_EQ(image.word(k), words[k]) << "register " << k;
    }
}

TEST(ReadHolding, PresetPatternIsInPlaceBeforeTheRequestAndKeptWhereNoReplyCame)
{
    RegisterImage image;
    FakeTransport wire(&image);
    RtuMaster master(wire, image);
    wire.replies.push_back(readReply(1, rampWords(60, 0xA000)));
    ASSERT_EQ(master.readHolding(1, 0, 60), 1u);
    const uint32_t beyondPreset = image.word(50);
    ASSERT_EQ(beyondPreset, 0xA000u + 0x0101u * 50);

    EXPECT_EQ(master.readHolding(1, 0, 41), 0u); // no reply
    EXPECT_EQ(image.word(0), 0u);
    EXPECT_EQ(image.word(5), 10u);
    EXPECT_EQ(image.word(49), 98u);
    EXPECT_EQ(image.word(50), beyondPreset);
    ASSERT_EQ(wire.imageAtWrite.size(), kestrune::kImageBytes);
    EXPECT_EQ(wire.imageAtWrite[3 + 2 * 7], 0);
    EXPECT_EQ(wire.imageAtWrite[4 + 2 * 7], 14);
}

TEST(ReadHolding, FailedWriteGivesTwoWithoutReadingButAShortOneStillWaits)
{
    RegisterImage image;
    {
        FakeTransport wire;
        RtuMaster master(wire, image);
        wire.writeResult = -1;
        wire.replies.push_back(readReply(1, {1}));
        EXPECT_EQ(master.readHolding(1, 17161, 1), 2u);
        EXPECT_EQ(wire.log, "PW");
    }
    // A write cut short by its time-out did not fail: the read goes on and
    // its own outcome decides.
    for (std::ptrdiff_t result : {std::ptrdiff_t{0}, std::ptrdiff_t{5}}) {
        FakeTransport wire;
        RtuMaster master(wire, image);
        wire.writeResult = result;
        EXPECT_EQ(master.readHolding(1, 17161, 1), 0u) << "write result " << result;
        EXPECT_EQ(wire.log, "PWR") << "write result " << result;
    }
}

TEST(RegisterImage, IndexesPastTheImageAreHarmless)
{
    RegisterImage image;
    FakeTransport wire;
    RtuMaster master(wire, image);
    EXPECT_EQ(master.readHolding(1, 0, 148), 0u);
    EXPECT_TRUE(wire.log.empty());

    wire.replies.push_back(readReply(1, rampWords(147, 0x0102)));
    EXPECT_EQ(master.readHolding(1, 0, 147), 1u);
    EXPECT_EQ(wire.asked.back(), 299u);
    EXPECT_EQ(image.word(146), 0x0102u + 0x0101u * 146);
    EXPECT_EQ(image.word(147), uint32_t{image.data()[297]} * 256 + image.data()[298]);
    EXPECT_EQ(image.word(148), 0u);
    EXPECT_EQ(image.word(0xFFFFFFFFu), 0u);

    const Bytes before(image.data(), image.data() + kestrune::kImageBytes);
    EXPECT_EQ(image.store(300, 0x77), 0x77u);
    EXPECT_EQ(image.store(0xFFFFFFFFu, 0x77), 0x77u);
    EXPECT_EQ(Bytes(image.data(), image.data() + kestrune::kImageBytes), before);
    EXPECT_EQ(image.store(299, 0x1A5), 0x1A5u);
    EXPECT_EQ(image.data()[299], 0xA5);
}

TEST(WriteTransactions, EchoMustBeEightBytesWithGoodCrc)
{
    const Bytes echo{0x01, 0x06, 0x4A, 0x65, 0x00, 0x00, 0x8F, 0xCD};
    struct {
        Bytes reply;
        uint32_t expected;
    } cases[] = {{echo, 1},
                 {corruptLast(echo), 0},
                 {firstBytes(echo, 7), 0},
                 {{}, 0},
                 {ktest::withCrc({0x01, 0x86, 0x02}), 0}};
    for (const auto& c : cases) {
        RegisterImage image;
        FakeTransport wire;
        RtuMaster master(wire, image);
        wire.replies.push_back(c.reply);
        EXPECT_EQ(master.writeSingle(1, 19045, 0), c.expected) << c.reply.size() << " bytes";
    }
}

TEST(WriteTransactions, RawFrameGetsItsCrcInTheCallersBuffer)
{
    RegisterImage image;
    FakeTransport wire;
    RtuMaster master(wire, image);
    uint8_t buffer[8] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0xEE, 0xEE};
    wire.replies.push_back(ktest::withCrc({0x01, 0x10, 0x4A, 0x65, 0x00, 0x01}));
    EXPECT_EQ(master.writeRaw(buffer, 6), 1u);
    EXPECT_EQ(buffer[6], 0x84);
    EXPECT_EQ(buffer[7], 0x0A);
    EXPECT_EQ(wire.log, "PWR");
    EXPECT_EQ(wire.written.at(0), Bytes(buffer, buffer + 8));
    EXPECT_EQ(master.writeRaw(nullptr, 6), 0u);
}

TEST(WriteTransactions, ImageFrameLengthIsBounded)
{
    RegisterImage image;
    FakeTransport wire;
    RtuMaster master(wire, image);
    EXPECT_EQ(master.writeImage(299), 0u);
    EXPECT_TRUE(wire.written.empty());
    master.writeImage(298);
    ASSERT_EQ(wire.written.size(), 1u);
    EXPECT_EQ(wire.written[0].size(), 300u);
}

} // namespace
