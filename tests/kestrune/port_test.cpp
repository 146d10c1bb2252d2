// The port through the exported face: open/close results, exclusive hold,
// line settings, time-outs, purge and the calls made with no port open.
#include "kestrunefixture.h"
#include "linespeedprobe.h"

#include <filesystem>

#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace ktest {
namespace {

using PortLifecycle = KestrunePort;
using LineSettings = KestrunePort;
using Timeouts = KestrunePort;
using RawBytes = KestrunePort;

TEST_F(PortLifecycle, OpenAndCloseResults)
{
    EXPECT_EQ(close_comm(), 0) << "nothing open yet";
    EXPECT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    // Exclusive: the port already held cannot be opened again, and the
    // failed attempt lets go of the old hold rather than leak it.
    EXPECT_EQ(open_comm(kPort), KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(close_comm(), 0);
    EXPECT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    EXPECT_NE(close_comm(), 0);
    EXPECT_EQ(close_comm(), 0);
}

TEST_F(PortLifecycle, NumbersThatNameNoPortFail)
{
    for (int32_t port : {0, 97, 256, -3}) {
        EXPECT_EQ(open_comm(port), KESTRUNE_OPEN_FAILED) << port;
        EXPECT_EQ(close_comm(), 0) << port;
    }
    m_folder->link(7, "/no/such/device");
    EXPECT_EQ(open_comm(7), KESTRUNE_OPEN_FAILED);
}

TEST_F(PortLifecycle, PlainFileIsHeldButHasNoSettings)
{
    m_folder->plainFile(8);
    EXPECT_EQ(open_comm(8), KESTRUNE_OPEN_NO_SETTINGS);
    EXPECT_EQ(open_comm(8), KESTRUNE_OPEN_FAILED) << "the file stays held";
    EXPECT_EQ(open_comm(8), KESTRUNE_OPEN_NO_SETTINGS);
    EXPECT_NE(close_comm(), 0);
}

TEST_F(PortLifecycle, PortHeldByAnotherProcessFails)
{
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char result = static_cast<char>(open_comm(kPort));
        char go = 0;
        (void)!write(toParent[1], &result, 1);
        (void)!read(toChild[0], &go, 1);
        _exit(0);
    }
    char childResult = 0;
    ASSERT_EQ(read(toParent[0], &childResult, 1), 1);
    EXPECT_EQ(childResult, KESTRUNE_OPEN_OK);
    EXPECT_EQ(open_comm(kPort), KESTRUNE_OPEN_FAILED);
    char go = 1;
    ASSERT_EQ(write(toChild[1], &go, 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK) << "free again once the other process ended";
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) {
        close(fd);
    }
}

// Runs `body` in a forked child and returns its exit code (-1 if it died).
template <typename Fn> int inChild(Fn&& body)
{
    pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

TEST_F(PortLifecycle, ForkedChildCannotTakeOrFreeTheParentsPort)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    // The child inherits the descriptor; its failed open lets go of that
    // copy, which must not release the hold the parent still has.
    EXPECT_EQ(inChild([] { return open_comm(kPort) * 10 + close_comm(); }),
              KESTRUNE_OPEN_FAILED * 10);
    EXPECT_EQ(inChild([] { return close_comm() * 10 + open_comm(kPort); }),
              10 + KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(inChild([] { return open_comm(kPort); }), KESTRUNE_OPEN_FAILED);
    EXPECT_EQ(comm_tx(0x42), 1u) << "the parent's port still works";
    EXPECT_NE(close_comm(), 0);
    EXPECT_EQ(inChild([] { return open_comm(kPort); }), KESTRUNE_OPEN_OK);
}

TEST_F(PortLifecycle, EachOpenResolvesTheLinkAfresh)
{
    PtyPair other;
    ASSERT_TRUE(other.ok());
    m_folder->link(9, m_pty->slavePath());
    ASSERT_EQ(open_comm(9), KESTRUNE_OPEN_OK);
    close_comm();
    std::filesystem::remove(m_folder->path() + "/com9");
    m_folder->link(9, other.slavePath());
    ASSERT_EQ(open_comm(9), KESTRUNE_OPEN_OK);
    EXPECT_EQ(comm_tx(0x42), 1u);
    EXPECT_EQ(readSome(other.master(), 1, 1000), Bytes{0x42});
    EXPECT_TRUE(drain(master(), 50).empty());
}

TEST_F(LineSettings, OpenLeaves9600EightNoneTwoAndRaw)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    termios tio{};
    ASSERT_EQ(tcgetattr(master(), &tio), 0); // a pty master reports its slave's settings
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(cfgetispeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & PARENB, 0u);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
    EXPECT_NE(tio.c_cflag & CREAD, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | ICRNL | INLCR | ISTRIP | BRKINT), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST_F(LineSettings, SetBaudTakesAnyRateAndTheStopBits)
{
    EXPECT_EQ(set_baud(19200, 1), 0u) << "no port open";
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    // tableCode: what plain tcgetattr() must report; 0 for a rate only
    // termios2 can express.
    struct {
        uint32_t baud, stopArg;
        bool twoStop;
        speed_t tableCode;
    } cases[] = {{19200, 1, false, B19200},
                 {19200, 2, true, B19200},
                 {19200, 0, true, B19200},
                 {56000, 2, true, 0},
                 {115200, 1, false, B115200},
                 {9600, 7, true, B9600}};
    for (const auto& c : cases) {
        ASSERT_EQ(set_baud(c.baud, c.stopArg), 1u) << c.baud;
        auto line = readLine(master());
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(line->outputBaud, c.baud);
        EXPECT_EQ(line->inputBaud, c.baud);
        EXPECT_TRUE(line->eightBits);
        EXPECT_FALSE(line->parity);
        EXPECT_EQ(line->twoStopBits, c.twoStop) << c.baud << " / " << c.stopArg;
        if (c.tableCode != 0) {
            termios tio{};
            ASSERT_EQ(tcgetattr(master(), &tio), 0);
            EXPECT_EQ(cfgetospeed(&tio), c.tableCode) << c.baud;
            EXPECT_EQ(cfgetispeed(&tio), c.tableCode) << c.baud;
        }
    }
    EXPECT_EQ(set_baud(0, 2), 0u) << "0 baud means hang-up, refused";
    EXPECT_EQ(readLine(master())->outputBaud, 9600u);

    ASSERT_EQ(set_baud(56000, 1), 1u);
    close_comm();
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    auto reopened = readLine(master());
    ASSERT_TRUE(reopened.has_value());
    EXPECT_EQ(reopened->outputBaud, 9600u) << "a new open starts from 9600 8N2 again";
    EXPECT_EQ(reopened->inputBaud, 9600u);
    EXPECT_TRUE(reopened->twoStopBits);
}

TEST_F(RawBytes, BinaryBytesCrossUntouched)
{
    openQuick();
    Bytes all(256);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<uint8_t>(i);
    }
    write_comm(all.data(), static_cast<uint32_t>(all.size()));
    EXPECT_EQ(readSome(master(), all.size(), 2000), all);
    writeAll(master(), {0x0D, 0x11, 0x13, 0x03, 0x0A});
    for (uint8_t expected : {0x0D, 0x11, 0x13, 0x03, 0x0A}) {
        EXPECT_EQ(read_comm(), expected);
    }
}

TEST_F(RawBytes, CommTxPurgesReceivedBytesThenSendsTheLowByte)
{
    openQuick();
    writeAll(master(), {0x77, 0x78, 0x79});
    ASSERT_TRUE(m_pty->waitQueuedOnSlave(3));
    EXPECT_EQ(comm_tx(0x1A5), 1u);
    EXPECT_EQ(readSome(master(), 2, 300), Bytes{0xA5});
    EXPECT_EQ(read_comm(), 0) << "received bytes were discarded";
    writeAll(master(), {0x5A});
    EXPECT_EQ(read_comm(), 0x5A);
}

TEST_F(RawBytes, WithNoPortOpenNothingHappens)
{
    const uint8_t bytes[] = {1, 2, 3};
    write_comm(bytes, 3);
    EXPECT_EQ(read_comm(), 0);
    EXPECT_EQ(comm_tx(0x55), 0u);
    EXPECT_EQ(set_timeout(10000, 1000, 1, 5000, 1000), 1u);
    EXPECT_EQ(modbus_rd(1, 17500, 41), KESTRUNE_RD_NOT_WRITTEN);
    EXPECT_EQ(modbus_wr(1, 19045, 0), 0u);
    EXPECT_EQ(modbus_wrb(8), 0u);
    EXPECT_TRUE(drain(master(), 30).empty());
}

TEST_F(Timeouts, SilentDeviceCostsConstantPlusMultiplierTimesBytes)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    // The program's own settings, with a short constant: 80 + 1 x 87 ms.
    ASSERT_EQ(set_timeout(10000, 80, 1, 5000, 1000), 1u);
    uint32_t result = 99;
    const auto ms = msTaken([&] { result = modbus_rd(1, 17500, 41); });
    EXPECT_EQ(result, 0u);
    EXPECT_GE(ms, 167);
    EXPECT_LT(ms, 1500);
}

TEST_F(Timeouts, OpenRestoresTheOneSecondInterval)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    set_timeout(0, 60, 1, 500, 10);
    close_comm();
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    // With the open's time-outs a stalled echo ends at the 1000 ms gap,
    // long before the read total of 5000 + 2000 x 8 ms.
    uint32_t result = 99;
    long long ms = 0;
    {
        ScriptedSlave slave(master(), 8, {{0, {0x01, 0x06, 0x4A}}});
        ms = msTaken([&] { result = modbus_wr(1, 19045, 0); });
    }
    EXPECT_EQ(result, 0u);
    EXPECT_GE(ms, 950);
    EXPECT_LT(ms, 4000);
}

TEST_F(Timeouts, IntervalEndsAReplyThatStalls)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    Bytes reply(87, 0x11);
    const Bytes head(reply.begin(), reply.begin() + 10);
    const Bytes tail(reply.begin() + 10, reply.end());

    set_timeout(40, 0, 0, 500, 0); // interval only: waits for a first byte
    {
        ScriptedSlave slave(master(), 8, {{50, head}, {300, tail}});
        EXPECT_EQ(modbus_rd(1, 17500, 41), 10u);
    }
    ASSERT_TRUE(m_pty->waitQueuedOnSlave(77)); // the stale tail, for the next purge
    set_timeout(0, 2000, 0, 500, 0);           // total only: the stall is tolerated
    {
        ScriptedSlave slave(master(), 8, {{0, head}, {150, tail}});
        EXPECT_EQ(modbus_rd(1, 17500, 41), 87u) << "all bytes came; the CRC is wrong";
    }
}

TEST_F(Timeouts, MaxIntervalWithoutTotalsReturnsAtOnce)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    set_timeout(0xFFFFFFFFu, 0, 0, 500, 0);
    EXPECT_EQ(read_comm(), 0);
    writeAll(master(), {0x33, 0x44});
    ASSERT_TRUE(m_pty->waitQueuedOnSlave(2));
    EXPECT_EQ(read_comm(), 0x33);
    EXPECT_EQ(read_comm(), 0x44);
}

TEST_F(Timeouts, MaxIntervalAndMultiplierWaitOnlyForTheFirstPiece)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    set_timeout(0xFFFFFFFFu, 120, 0xFFFFFFFFu, 500, 0);
    uint8_t byte = 0xEE;
    const auto silentMs = msTaken([&] { byte = read_comm(); });
    EXPECT_EQ(byte, 0);
    EXPECT_GE(silentMs, 115);
    EXPECT_LT(silentMs, 1500);
    // The first piece of an echo ends the read; the rest is not waited for.
    uint32_t result = 99;
    long long ms = 0;
    {
        ScriptedSlave slave(master(),
                            8,
                            {{20, {0x01, 0x06, 0x4A}}, {400, {0x65, 0, 0, 0x8F, 0xCD}}});
        ms = msTaken([&] { result = modbus_wr(1, 19045, 0); });
    }
    EXPECT_EQ(result, 0u);
    EXPECT_LT(ms, 300);
}

TEST_F(Timeouts, WriteTotalBoundsAWriteNobodyReads)
{
    ASSERT_EQ(open_comm(kPort), KESTRUNE_OPEN_OK);
    set_timeout(0, 50, 0, 80, 0);
    Bytes big(1 << 20, 0x5A); // far more than a pty buffers
    const auto ms = msTaken([&] { write_comm(big.data(), static_cast<uint32_t>(big.size())); });
    EXPECT_GE(ms, 80);
    EXPECT_LT(ms, 2000);
}

} // namespace
} // namespace ktest
