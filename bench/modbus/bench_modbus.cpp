// Time per 41-register read at 17500 of slave 1: kestrune's exports against
// a libmodbus master, both talking to one libmodbus RTU slave over one pty.
// The two masters take turns in blocks so drift in the machine's load falls
// on both alike.
#include "kestrune.h"
#include "modbusslave.h"
#include "ptyharness.h"

#include <modbus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kPort = 5;
constexpr int kSlave = 1;
constexpr int kWindow = 17500;
constexpr int kWords = 41;
constexpr long kBlock = 100;

using Clock = std::chrono::steady_clock;

uint16_t expectedWord(int k)
{
    return static_cast<uint16_t>(0x4000 + 131 * k);
}

// Runs `transaction` `count` times, appending microseconds per call; false
// on the first failed transaction.
bool timeRuns(long count, std::vector<double>& out, const std::function<bool()>& transaction)
{
    for (long i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool ok = transaction();
        const auto end = Clock::now();
        if (!ok) {
            return false;
        }
        out.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    return true;
}

bool kestruneBlock(long count, std::vector<double>& out)
{
    if (open_comm(kPort) != KESTRUNE_OPEN_OK) {
        std::fprintf(stderr, "open_comm failed\n");
        return false;
    }
    // The program's own settings: its rate, two stop bits, 200 ms constant.
    set_baud(56000, 2);
    set_timeout(10000, 200, 1, 5000, 1000);
    bool ok = timeRuns(count, out, [] {
        return modbus_rd(kSlave, kWindow, kWords) == KESTRUNE_RD_OK &&
               modbus_var(kWords - 1) == expectedWord(kWords - 1);
    });
    close_comm();
    return ok;
}

bool libmodbusBlock(const std::string& path, long count, std::vector<double>& out)
{
    modbus_t* ctx = modbus_new_rtu(path.c_str(), 56000, 'N', 8, 2);
    if (ctx == nullptr || modbus_set_slave(ctx, kSlave) != 0 || modbus_connect(ctx) != 0) {
        std::fprintf(stderr, "libmodbus master: %s\n", modbus_strerror(errno));
        if (ctx != nullptr) {
            modbus_free(ctx);
        }
        return false;
    }
    modbus_set_response_timeout(ctx, 0, 200000);
    uint16_t words[kWords];
    bool ok = timeRuns(count, out, [&] {
        return modbus_read_registers(ctx, kWindow, kWords, words) == kWords &&
               words[kWords - 1] == expectedWord(kWords - 1);
    });
    modbus_close(ctx);
    modbus_free(ctx);
    return ok;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

long parseCount(int argc, char** argv)
{
    long count = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
            count = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: %s [--count N]\n", argv[0]);
            std::exit(2);
        }
    }
    return std::max(count, 1L);
}

} // namespace

int main(int argc, char** argv)
{
    const long count = parseCount(argc, argv);
    ktest::PtyPair pty;
    if (!pty.ok()) {
        std::fprintf(stderr, "%s\n", pty.error().c_str());
        return 1;
    }
    ktest::PortFolder folder;
    folder.link(kPort, pty.slavePath());
    ktest::ModbusSlave slave(pty.master(), kSlave);
    if (!slave.ok()) {
        std::fprintf(stderr, "libmodbus slave could not start\n");
        return 1;
    }
    for (int k = 0; k < kWords; ++k) {
        slave.setRegister(kWindow + k, expectedWord(k));
    }

    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> warmUp;
    if (!kestruneBlock(50, warmUp) || !libmodbusBlock(pty.slavePath(), 50, warmUp)) {
        return 1;
    }
    for (long done = 0; done < count;) {
        const long block = std::min(kBlock, count - done);
        if (!kestruneBlock(block, ours) || !libmodbusBlock(pty.slavePath(), block, theirs)) {
            std::fprintf(stderr, "a transaction failed after %ld rounds\n", done);
            return 1;
        }
        done += block;
    }

    const double ourMedian = percentile(ours, 0.5);
    const double theirMedian = percentile(theirs, 0.5);
    std::printf("41-register reads at %d, slave %d, %ld each, over a pty to a libmodbus slave\n",
                kWindow,
                kSlave,
                count);
    std::printf("%-10s median %8.1f us   p90 %8.1f us\n",
                "kestrune",
                ourMedian,
                percentile(ours, 0.9));
    std::printf("%-10s median %8.1f us   p90 %8.1f us\n",
                "libmodbus",
                theirMedian,
                percentile(theirs, 0.9));
    std::printf("ratio kestrune/libmodbus (medians): %.3f\n", ourMedian / theirMedian);
    return 0;
}
