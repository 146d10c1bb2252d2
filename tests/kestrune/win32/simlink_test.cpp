// kestrune.dll, bound by name, against the Linux device simulator on
// pseudo-terminals that simlink.sh starts and links into this Wine prefix:
//   COM11 a well-behaved device (record 7 stored with a wrong record CRC),
//   COM12 a silent device, COM13 replies with a wrong frame CRC,
//   COM14 replies cut to their first 5 bytes; COM19 does not exist.
#include "boundkestrune.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace ktest {
namespace {

constexpr int32_t kGoodPort = 11;
constexpr int32_t kSilentPort = 12;
constexpr int32_t kBadCrcPort = 13;
constexpr int32_t kCutPort = 14;
constexpr int32_t kAbsentPort = 19;
constexpr int kBadRecord = 7;
constexpr uint32_t kSlave = 1;
// Elapsed times are compared with the time-outs within this much: Wine
// keeps them to a few ms, the rest is room for a busy machine.
constexpr long long kToleranceMs = 150;

class SimulatedDevice : public BoundKestruneTest {
protected:
    void TearDown() override { s_dll->close_comm(); }

    // Opens and sets the line up as the program does at connect.
    void connect(int32_t port)
    {
        ASSERT_EQ(k().open_comm(port), KESTRUNE_OPEN_OK) << "COM" << port;
        ASSERT_EQ(k().set_baud(9600, 2), 1u);
        ASSERT_EQ(k().set_timeout(10000, 1000, 1, 5000, 1000), 1u);
    }
};

template <typename Fn> long long msTaken(Fn&& fn)
{
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

void reportFigure(const char* what, long long expectedMs, long long takenMs)
{
    std::printf("[ figures  ] %s: %lld ms expected, %lld ms taken\n", what, expectedMs, takenMs);
}

// The line as a second handle sees it. Wine opens a held port a second
// time and reads the settings the library left on the device; Windows
// refuses, since the library's open is exclusive.
std::optional<DCB> lineOf(int32_t port)
{
    const std::string name = R"(\\.\COM)" + std::to_string(port);
    HANDLE handle = CreateFileA(name.c_str(),
                                GENERIC_READ | GENERIC_WRITE,
                                0,
                                nullptr,
                                OPEN_EXISTING,
                                0,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool read = GetCommState(handle, &dcb) != 0;
    CloseHandle(handle);
    return read ? std::optional<DCB>(dcb) : std::nullopt;
}

// Handles onto character devices (the console's and any COM port's) this
// process holds. Wine's GetProcessHandleCount answers 0, and its serial code
// keeps event handles of its own, so only these are counted; both systems
// hand out handle values as small multiples of 4.
int charDeviceHandles()
{
    int count = 0;
    for (uintptr_t value = 4; value < 0x4000; value += 4) {
        count += GetFileType(reinterpret_cast<HANDLE>(value)) == FILE_TYPE_CHAR ? 1 : 0;
    }
    return count;
}

TEST_F(SimulatedDevice, IdentificationReadsTheDevicesValues)
{
    connect(kGoodPort);
    ASSERT_EQ(k().modbus_rd(kSlave, 17008, 3), KESTRUNE_RD_OK);
    EXPECT_EQ(k().modbus_var(0), 124u) << "firmware version x 100";
    EXPECT_EQ(k().modbus_var(1), 12u);
    EXPECT_EQ(k().modbus_var(2), 345u);
}

TEST_F(SimulatedDevice, SelectedRecordsArriveWordForWord)
{
    connect(kGoodPort);
    std::vector<std::vector<uint32_t>> seen;
    for (int number : {1, 2, kBadRecord, 10380}) {
        ASSERT_EQ(k().modbus_wr(kSlave, 19045, static_cast<uint32_t>(number - 1)), 1u) << number;
        ASSERT_EQ(k().modbus_rd(kSlave, 17500, 41), KESTRUNE_RD_OK) << number;
        std::vector<uint32_t> words;
        for (uint32_t i = 0; i < 41; ++i) {
            words.push_back(k().modbus_var(i));
        }
        uint32_t crc = 0xFFFF;
        for (std::size_t i = 0; i < 40; ++i) {
            crc = k().crc_calc(crc, words[i]);
        }
        // The device stores a CRC over the other 40 words in the last one:
        // it matches for every record the simulator keeps intact.
        EXPECT_EQ(crc == words[40], number != kBadRecord) << "record " << number;
        seen.push_back(words);
    }
    EXPECT_NE(seen[0], seen[1]) << "each select presents another record";
}

TEST_F(SimulatedDevice, LineSettingsReachTheDriver)
{
    ASSERT_EQ(k().open_comm(kGoodPort), KESTRUNE_OPEN_OK);
    auto line = lineOf(kGoodPort);
    if (!line) {
        GTEST_SKIP() << "a second handle onto a held port is refused here";
    }
    EXPECT_EQ(line->BaudRate, 9600u);
    EXPECT_EQ(line->ByteSize, 8);
    EXPECT_EQ(line->Parity, NOPARITY);
    EXPECT_EQ(line->StopBits, TWOSTOPBITS);
    const struct {
        uint32_t baud, stopArg;
        BYTE stopBits;
    } cases[] = {{115200, 1, ONESTOPBIT}, {19200, 2, TWOSTOPBITS}, {19200, 0, TWOSTOPBITS}};
    for (const auto& c : cases) {
        ASSERT_EQ(k().set_baud(c.baud, c.stopArg), 1u) << c.baud;
        line = lineOf(kGoodPort);
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(line->BaudRate, c.baud);
        EXPECT_EQ(line->ByteSize, 8);
        EXPECT_EQ(line->StopBits, c.stopBits) << c.baud << " / " << c.stopArg;
    }
    EXPECT_EQ(k().set_baud(0, 2), 0u) << "rate 0 is refused";
    EXPECT_EQ(lineOf(kGoodPort)->BaudRate, 19200u);
    EXPECT_EQ(k().modbus_rd(kSlave, 17008, 3), KESTRUNE_RD_OK) << "the device still answers";
}

TEST_F(SimulatedDevice, SilentDeviceCostsTheReadTotal)
{
    // Constant 200 and multiplier 3 x 87 bytes; swapped, they would take 17 s.
    ASSERT_EQ(k().open_comm(kSilentPort), KESTRUNE_OPEN_OK);
    ASSERT_EQ(k().set_timeout(10000, 200, 3, 5000, 1000), 1u);
    uint32_t result = 99;
    const long long ms = msTaken([&] { result = k().modbus_rd(kSlave, 17500, 41); });
    reportFigure("silent device, read total 200 + 3 x 87", 461, ms);
    EXPECT_EQ(result, 0u);
    EXPECT_NEAR(ms, 461, kToleranceMs);
    EXPECT_EQ(k().modbus_var(5), 10u) << "the preset pattern stays";
}

TEST_F(SimulatedDevice, WrongFrameCrcGivesTheByteCount)
{
    connect(kBadCrcPort);
    EXPECT_EQ(k().modbus_rd(kSlave, 17008, 3), 11u);
    EXPECT_EQ(k().modbus_rd(kSlave, 17500, 41), 87u);
    EXPECT_EQ(k().modbus_wr(kSlave, 19045, 0), 0u);
}

TEST_F(SimulatedDevice, OpenTimeoutsEndAStalledReplyAfterTheInterval)
{
    // No set_timeout: the open's 1000 ms interval ends the read long before
    // its total of 5000 + 2000 x 11 ms.
    ASSERT_EQ(k().open_comm(kCutPort), KESTRUNE_OPEN_OK);
    uint32_t result = 99;
    const long long ms = msTaken([&] { result = k().modbus_rd(kSlave, 17008, 3); });
    reportFigure("reply cut after 5 bytes, open's interval", 1000, ms);
    EXPECT_EQ(result, 5u);
    EXPECT_NEAR(ms, 1000, kToleranceMs);
}

TEST_F(SimulatedDevice, OpenOfAnAbsentPortFailsAndLetsGoOfTheHeldOne)
{
    ASSERT_EQ(k().open_comm(kGoodPort), KESTRUNE_OPEN_OK);
    EXPECT_EQ(k().open_comm(kAbsentPort), KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(k().close_comm(), 0) << "the failed open closed the port held before";
    EXPECT_EQ(k().modbus_rd(kSlave, 17008, 3), KESTRUNE_RD_NOT_WRITTEN);
    ASSERT_EQ(k().open_comm(kGoodPort), KESTRUNE_OPEN_OK);
    EXPECT_EQ(k().comm_tx(0x1A5), 1u);
}

TEST_F(SimulatedDevice, UnloadingLetsGoOfAPortLeftOpen)
{
    delete s_dll; // out of the process, so the next load is a fresh one
    s_dll = nullptr;
    const int before = charDeviceHandles();
    s_dll = new BoundKestrune;
    ASSERT_EQ(k().open_comm(kGoodPort), KESTRUNE_OPEN_OK);
    EXPECT_EQ(charDeviceHandles(), before + 1) << "the port's handle";
    delete s_dll;
    s_dll = nullptr;
    EXPECT_EQ(charDeviceHandles(), before);
    s_dll = new BoundKestrune;
}

} // namespace
} // namespace ktest
