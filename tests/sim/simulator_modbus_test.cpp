// The simulator driven over a real pseudo-terminal by libmodbus, an
// independent master, and by raw bytes where libmodbus would not misbehave.
#include "refcrc.h"
#include "simulator.h"

#include <gtest/gtest.h>
#include <modbus.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr int kResponseTimeoutUs = 300000;

class OverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.withState([](sim::DeviceState& s) {
            s.fillDataLog(sim::kLogCapacity);
            s.fillResetLog(1);
        });
        std::string error;
        if (!device.start(&error))
            GTEST_SKIP() << "no pseudo-terminal on this host: " << error;
        ctx = modbus_new_rtu(device.ptyPath().c_str(), 9600, 'N', 8, 2);
        ASSERT_NE(ctx, nullptr);
        modbus_set_slave(ctx, 1);
        ASSERT_EQ(modbus_connect(ctx), 0) << modbus_strerror(errno);
        modbus_set_response_timeout(ctx, 0, kResponseTimeoutUs);
    }

    void TearDown() override
    {
        if (ctx != nullptr) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }

    // Registers read, or the errno of a failed read.
    struct Read {
        int rc;
        int error;
        std::vector<uint16_t> words;
    };
    Read read(int reg, int count)
    {
        Read r{0, 0, std::vector<uint16_t>(static_cast<std::size_t>(count))};
        errno = 0;
        r.rc = modbus_read_registers(ctx, reg, count, r.words.data());
        r.error = r.rc < 0 ? errno : 0;
        return r;
    }
    int write(int reg, int value)
    {
        errno = 0;
        return modbus_write_register(ctx, reg, static_cast<uint16_t>(value));
    }
    // A reply that came too late or in pieces must not spoil the next read.
    void settle()
    {
        std::this_thread::sleep_for(50ms);
        modbus_flush(ctx);
    }

    sim::Simulator device;
    modbus_t* ctx = nullptr;
};

std::vector<uint16_t> pattern(std::size_t size, uint16_t seed)
{
    std::vector<uint16_t> v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<uint16_t>(seed + 0x0101 * i);
    return v;
}

} // namespace

TEST_F(OverPty, IdentificationAndPointers)
{
    device.withState([](sim::DeviceState& s) {
        s.firmware = 250;
        s.serial1 = 2024;
        s.serial2 = 65535;
        s.release = 7;
        s.options = 0x0002;
        s.logPointer = 12;
        s.resetPointer = 0;
    });
    EXPECT_EQ(read(17008, 3).words, (std::vector<uint16_t>{250, 2024, 65535}));
    EXPECT_EQ(read(17011, 1).words, (std::vector<uint16_t>{2}));
    EXPECT_EQ(read(17043, 1).words, (std::vector<uint16_t>{7}));
    EXPECT_EQ(read(17161, 1).words, (std::vector<uint16_t>{12}));
    EXPECT_EQ(read(17172, 1).words, (std::vector<uint16_t>{0}));
    EXPECT_EQ(read(17009, 1).words, (std::vector<uint16_t>{2024}));
}

TEST_F(OverPty, SelectWritePresentsTheRecordOneAboveTheValue)
{
    const auto first = pattern(41, 0x1000);
    const auto second = pattern(41, 0x2000);
    device.withState([&](sim::DeviceState& s) {
        std::copy(first.begin(), first.end(), s.records[0].begin());
        std::copy(second.begin(), second.end(), s.records[1].begin());
    });
    ASSERT_EQ(write(19045, 0xFFFF), 1);
    EXPECT_EQ(read(17500, 41).words, first);
    ASSERT_EQ(write(19045, 0), 1);
    EXPECT_EQ(read(17500, 41).words, second);
    // The window stays on the record until the next select.
    EXPECT_EQ(read(17500, 5).words, std::vector<uint16_t>(second.begin(), second.begin() + 5));
    ASSERT_EQ(write(19045, sim::kLogCapacity), 1);
    EXPECT_EQ(read(17500, 41).words, std::vector<uint16_t>(41, 0xFFFF));
    EXPECT_EQ(device.servedRecords(), (std::vector<int>{0, 1, 1, sim::kLogCapacity + 1}));
    EXPECT_EQ(device.withState([](sim::DeviceState& s) { return s.logSelect; }), sim::kLogCapacity);
}

TEST_F(OverPty, RecordsCarryTheCrcAnIndependentImplementationComputes)
{
    for (int n : {1, 2, 1234, sim::kLogCapacity}) {
        ASSERT_EQ(write(19045, n - 1), 1);
        const Read r = read(17500, 41);
        ASSERT_EQ(r.rc, 41);
        EXPECT_EQ(r.words[40], simtest::refRecordCrc(r.words, 40)) << "record " << n;
    }
}

TEST_F(OverPty, ResetSlotSelectAndBlankSlots)
{
    const auto entry = pattern(26, 0x3000);
    device.withState(
        [&](sim::DeviceState& s) { std::copy(entry.begin(), entry.end(), s.resetLog[5].begin()); });
    ASSERT_EQ(write(19096, 5), 1);
    EXPECT_EQ(read(17600, 26).words, entry);
    ASSERT_EQ(write(19096, 77), 1);
    const Read last = read(17600, 26);
    EXPECT_EQ(last.words, std::vector<uint16_t>(26, 0xFFFF));
    ASSERT_EQ(write(19096, 0), 1);
    const Read slot0 = read(17600, 26);
    EXPECT_NE(slot0.words[4], 0xFFFF);
    EXPECT_EQ(slot0.words[25], simtest::refRecordCrc(slot0.words, 25));

    EXPECT_EQ(write(19096, 78), -1);
    EXPECT_EQ(errno, EMBXILVAL);
    EXPECT_EQ(device.withState([](sim::DeviceState& s) { return s.resetSelect; }), 0);
}

TEST_F(OverPty, ExceptionReplies)
{
    Read r = read(17000, 1);
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.error, EMBXILADD);
    r = read(17500, 42);
    EXPECT_EQ(r.error, EMBXILADD);
    EXPECT_EQ(write(17008, 1), -1);
    EXPECT_EQ(errno, EMBXILADD);
    uint16_t words[3];
    EXPECT_EQ(modbus_read_input_registers(ctx, 17008, 3, words), -1);
    EXPECT_EQ(errno, EMBXILFUN);
    // The device is none the worse for them.
    EXPECT_EQ(read(17008, 3).rc, 3);
}

TEST_F(OverPty, LogsEveryRequestItReceives)
{
    read(17008, 3);
    write(19045, 0xFFFF);
    read(17000, 2);
    const auto log = device.transactions();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].function, 3);
    EXPECT_EQ(log[0].reg, 17008);
    EXPECT_EQ(log[0].countOrValue, 3);
    EXPECT_EQ(log[1].function, 6);
    EXPECT_EQ(log[1].reg, 19045);
    EXPECT_EQ(log[1].countOrValue, 0xFFFF);
    EXPECT_EQ(log[2].reg, 17000);
    device.clearTransactions();
    EXPECT_TRUE(device.transactions().empty());
}

TEST_F(OverPty, IgnoresRequestsForOtherSlaves)
{
    modbus_set_slave(ctx, 2);
    EXPECT_EQ(read(17008, 3).error, ETIMEDOUT);
    EXPECT_TRUE(device.transactions().empty());
    modbus_set_slave(ctx, 1);
    EXPECT_EQ(read(17008, 3).rc, 3);
}

// --- fault switches ------------------------------------------------------

TEST_F(OverPty, SilenceForReadsOrWrites)
{
    sim::Faults f;
    f.silent = true;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).error, ETIMEDOUT);
    EXPECT_EQ(write(19045, 4), 1);
    EXPECT_EQ(device.transactions().size(), 2u); // heard, though not answered

    f = {};
    f.silentWrites = true;
    device.setFaults(f);
    EXPECT_EQ(write(19045, 9), -1);
    EXPECT_EQ(errno, ETIMEDOUT);
    // A silenced request is not carried out either.
    EXPECT_EQ(device.withState([](sim::DeviceState& s) { return s.logSelect; }), 4);
    EXPECT_EQ(read(17008, 3).rc, 3);
}

TEST_F(OverPty, CorruptedRepliesAreRejectedAndNotCountedAsServed)
{
    struct Case {
        const char* name;
        sim::Faults faults;
    };
    std::vector<Case> cases(4);
    cases[0] = {"bad CRC", {}};
    cases[0].faults.badCrc = true;
    cases[1] = {"truncated", {}};
    cases[1].faults.truncateTo = 50;
    cases[2] = {"garbage", {}};
    cases[2].faults.garbageBytes = 3;
    cases[3] = {"wrong slave", {}};
    cases[3].faults.wrongSlave = true;
    for (const Case& c : cases) {
        device.setFaults(c.faults);
        const Read r = read(17500, 41);
        EXPECT_EQ(r.rc, -1) << c.name;
        settle();
    }
    EXPECT_EQ(device.servedRecords(),
              (std::vector<int>{1})); // only the wrong-slave reply was whole

    device.setFaults({});
    EXPECT_EQ(read(17500, 41).rc, 41);
}

TEST_F(OverPty, CorruptionsShowTheExpectedSymptoms)
{
    sim::Faults f;
    f.badCrc = true;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).error, EMBBADCRC);
    settle();

    f = {};
    f.truncateTo = 5;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).error, ETIMEDOUT);
    settle();

    f = {};
    f.wrongSlave = true;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).error, EMBBADSLAVE);
    settle();

    f = {};
    f.exceptionCode = 4;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).error, EMBXSFAIL);
    EXPECT_EQ(write(19045, 100), -1);
    EXPECT_EQ(errno, EMBXSFAIL);
    EXPECT_EQ(device.withState([](sim::DeviceState& s) { return s.logSelect; }), 0);
}

TEST_F(OverPty, DelayedRepliesMissAShortTimeoutAndMeetALongOne)
{
    sim::Faults f;
    f.replyDelayMs = 400;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).error, ETIMEDOUT);
    std::this_thread::sleep_for(500ms);
    modbus_flush(ctx);
    modbus_set_response_timeout(ctx, 2, 0);
    EXPECT_EQ(read(17008, 3).rc, 3);
}

TEST_F(OverPty, ByteDelayTakesTheWireTimeOfEachFrame)
{
    sim::Faults f;
    f.byteDelayUs = 4000;
    device.setFaults(f);
    // 8 + 11 bytes: 76 ms; 8 + 87 bytes of a record: 380 ms, past the time-out.
    EXPECT_EQ(read(17008, 3).rc, 3);
    EXPECT_EQ(read(17500, 41).error, ETIMEDOUT);
    settle();
    std::this_thread::sleep_for(400ms);
    modbus_flush(ctx);
    modbus_set_response_timeout(ctx, 2, 0);
    EXPECT_EQ(read(17500, 41).rc, 41);
}

TEST_F(OverPty, StopsAnsweringAfterSoManyTransactions)
{
    sim::Faults f;
    f.stopAfter = 2;
    device.setFaults(f);
    EXPECT_EQ(read(17008, 3).rc, 3);
    EXPECT_EQ(write(19045, 1), 1);
    EXPECT_EQ(device.faults().stopAfter, 0);
    EXPECT_EQ(read(17008, 3).error, ETIMEDOUT);
    EXPECT_EQ(write(19045, 2), -1);
    device.setFaults({});
    EXPECT_EQ(read(17008, 3).rc, 3);
}

TEST_F(OverPty, FailsOneRegisterInTheMiddleOfADownload)
{
    sim::Faults f;
    f.failReadsAtRegister = 17500;
    f.failAfterReadsOfRegister = 3;
    device.setFaults(f);
    for (int n = 10; n < 13; ++n) {
        ASSERT_EQ(write(19045, n - 1), 1);
        ASSERT_EQ(read(17500, 41).rc, 41) << "record " << n;
    }
    ASSERT_EQ(write(19045, 12), 1);
    EXPECT_EQ(read(17500, 41).error, ETIMEDOUT);
    EXPECT_EQ(read(17008, 3).rc, 3);
    EXPECT_EQ(device.servedRecords(), (std::vector<int>{10, 11, 12}));

    f.failAfterReadsOfRegister = -1;
    f.failReadsAtRegister = 17600;
    device.setFaults(f);
    EXPECT_EQ(read(17600, 26).error, ETIMEDOUT);
    EXPECT_EQ(read(17500, 41).rc, 41);
}

TEST_F(OverPty, SilentEveryNthRequestLetsRetriesThrough)
{
    sim::Faults f;
    f.silentEvery = 3;
    device.setFaults(f);
    std::vector<int> results;
    for (int i = 0; i < 6; ++i)
        results.push_back(read(17161, 1).rc);
    EXPECT_EQ(results, (std::vector<int>{1, 1, -1, 1, 1, -1}));
}

TEST_F(OverPty, HangUpIsSeenByTheClient)
{
    ASSERT_EQ(read(17008, 3).rc, 3);
    device.hangUp();
    EXPECT_EQ(read(17008, 3).rc, -1);
    const int fd = modbus_get_socket(ctx);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 100), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
}

// --- raw bytes on the line ------------------------------------------------

namespace {

std::vector<uint8_t> frameWithCrc(std::vector<uint8_t> f)
{
    const uint16_t crc = simtest::refCrc16(f);
    f.push_back(static_cast<uint8_t>(crc & 0xFF));
    f.push_back(static_cast<uint8_t>(crc >> 8));
    return f;
}

// Everything that arrives until the line has been quiet for quietMs.
std::vector<uint8_t> collect(int fd, int quietMs)
{
    std::vector<uint8_t> got;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, quietMs) == 1) {
        uint8_t buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

} // namespace

class RawLine : public OverPty {
protected:
    void SetUp() override
    {
        OverPty::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        fd = modbus_get_socket(ctx);
    }
    void send(const std::vector<uint8_t>& bytes)
    {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int fd = -1;
};

TEST_F(RawLine, AnswersAGoodFrameBehindGarbage)
{
    std::vector<uint8_t> line = {0xAA, 0x01, 0x03, 0x55};
    const auto request = frameWithCrc({0x01, 0x03, 0x43, 0x09, 0x00, 0x01});
    line.insert(line.end(), request.begin(), request.end());
    send(line);
    EXPECT_EQ(collect(fd, 200), frameWithCrc({0x01, 0x03, 0x02, 0x28, 0x8C}));
}

TEST_F(RawLine, DropsAFrameInterruptedByAPause)
{
    const auto request = frameWithCrc({0x01, 0x03, 0x43, 0x09, 0x00, 0x01});
    send({request.begin(), request.begin() + 4});
    std::this_thread::sleep_for(40ms);
    send({request.begin() + 4, request.end()});
    EXPECT_TRUE(collect(fd, 150).empty());
    EXPECT_TRUE(device.transactions().empty());
    send(request);
    EXPECT_EQ(collect(fd, 200), frameWithCrc({0x01, 0x03, 0x02, 0x28, 0x8C}));
}

TEST_F(RawLine, UnknownFunctionGetsIllegalFunction)
{
    send(frameWithCrc({0x01, 0x11}));
    EXPECT_EQ(collect(fd, 200), frameWithCrc({0x01, 0x91, 0x01}));
}
