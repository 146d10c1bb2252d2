// Time per 41-register read at 17500 of slave 1: kestrune's exports against
// a libmodbus master, both talking to one libmodbus RTU slave over one pty.
// Both masters stay connected for the whole run and take turns one
// transaction at a time, in the order AB, BA, AB, ... so that neither always
// follows the other; drift in the machine's load then falls on both alike.
// The run is cut into rounds, and the figure reported is the median of the
// rounds' ratios, which one disturbed round cannot move much.
#include "kestrune.h"
#include "modbusslave.h"
#include "ptyharness.h"

#include <modbus.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPort = 5;
constexpr int kSlave = 1;
constexpr int kWindow = 17500;
constexpr int kWords = 41;
constexpr long kWarmUp = 200;

using Clock = std::chrono::steady_clock;

uint16_t expectedWord(int k)
{
    return static_cast<uint16_t>(0x4000 + 131 * k);
}

struct Options {
    long count = 10000; // transactions per master
    long rounds = 10;
};

// Microseconds one transaction took, or a negative value when it failed.
template <typename Fn> double timeOne(Fn&& transaction)
{
    const auto start = Clock::now();
    const bool ok = transaction();
    const auto end = Clock::now();
    return ok ? std::chrono::duration<double, std::micro>(end - start).count() : -1.0;
}

class LibmodbusMaster {
public:
    explicit LibmodbusMaster(const std::string& path)
        : m_ctx(modbus_new_rtu(path.c_str(), 56000, 'N', 8, 2))
    {
        if (m_ctx == nullptr || modbus_set_slave(m_ctx, kSlave) != 0 ||
            modbus_connect(m_ctx) != 0) {
            std::fprintf(stderr, "libmodbus master: %s\n", modbus_strerror(errno));
            release();
            return;
        }
        modbus_set_response_timeout(m_ctx, 0, 200000);
    }
    ~LibmodbusMaster() { release(); }
    LibmodbusMaster(const LibmodbusMaster&) = delete;
    LibmodbusMaster& operator=(const LibmodbusMaster&) = delete;

    bool ok() const { return m_ctx != nullptr; }
    bool read()
    {
        return modbus_read_registers(m_ctx, kWindow, kWords, m_words) == kWords &&
               m_words[kWords - 1] == expectedWord(kWords - 1);
    }

private:
    void release()
    {
        if (m_ctx != nullptr) {
            modbus_close(m_ctx);
            modbus_free(m_ctx);
            m_ctx = nullptr;
        }
    }

    modbus_t* m_ctx;
    uint16_t m_words[kWords] = {};
};

bool kestruneRead()
{
    return modbus_rd(kSlave, kWindow, kWords) == KESTRUNE_RD_OK &&
           modbus_var(kWords - 1) == expectedWord(kWords - 1);
}

// The program's own settings: its rate, two stop bits, 200 ms constant.
bool openKestrune()
{
    if (open_comm(kPort) != KESTRUNE_OPEN_OK || set_baud(56000, 2) != 1) {
        std::fprintf(stderr, "open_comm or set_baud failed\n");
        return false;
    }
    set_timeout(10000, 200, 1, 5000, 1000);
    return true;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

long positiveArgument(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value > 0 ? value : -1;
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        long* target = nullptr;
        if (std::strcmp(argv[i], "--count") == 0) {
            target = &options.count;
        } else if (std::strcmp(argv[i], "--rounds") == 0) {
            target = &options.rounds;
        }
        if (target == nullptr || i + 1 >= argc || (*target = positiveArgument(argv[++i])) < 0) {
            std::fprintf(stderr, "usage: %s [--count N] [--rounds R]\n", argv[0]);
            std::exit(2);
        }
    }
    options.rounds = std::min(options.rounds, options.count);
    return options;
}

struct Samples {
    std::vector<double> ours;
    std::vector<double> theirs;
};

// `count` turns of one transaction each; pair i runs kestrune first when i
// is even and libmodbus first when it is odd.
bool runInterleaved(long count, LibmodbusMaster& other, Samples& out)
{
    for (long i = 0; i < count; ++i) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool oursNow = (turn == 0) == (i % 2 == 0);
            const double us =
                oursNow ? timeOne(kestruneRead) : timeOne([&] { return other.read(); });
            if (us < 0) {
                std::fprintf(stderr,
                             "a %s transaction failed\n",
                             oursNow ? "kestrune" : "libmodbus");
                return false;
            }
            (oursNow ? out.ours : out.theirs).push_back(us);
        }
    }
    return true;
}

void printLine(const char* name, const std::vector<double>& values)
{
    std::printf("%-10s median %8.1f us   p90 %8.1f us\n",
                name,
                percentile(values, 0.5),
                percentile(values, 0.9));
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
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

    // libmodbus first: once kestrune holds the port exclusively, an
    // unprivileged second open would be refused.
    LibmodbusMaster other(pty.slavePath());
    if (!other.ok() || !openKestrune()) {
        return 1;
    }
    Samples warmUp;
    Samples all;
    std::vector<double> roundRatios;
    bool ok = runInterleaved(kWarmUp, other, warmUp);
    for (long round = 0; ok && round < options.rounds; ++round) {
        const long share =
            options.count * (round + 1) / options.rounds - options.count * round / options.rounds;
        Samples samples;
        ok = runInterleaved(share, other, samples);
        if (ok) {
            roundRatios.push_back(percentile(samples.ours, 0.5) / percentile(samples.theirs, 0.5));
            all.ours.insert(all.ours.end(), samples.ours.begin(), samples.ours.end());
            all.theirs.insert(all.theirs.end(), samples.theirs.begin(), samples.theirs.end());
        }
    }
    close_comm();
    if (!ok) {
        return 1;
    }

    std::printf("41-register reads at %d, slave %d, %ld each in %ld rounds, taking turns,\n"
                "over a pty to a libmodbus slave\n",
                kWindow,
                kSlave,
                options.count,
                options.rounds);
    printLine("kestrune", all.ours);
    printLine("libmodbus", all.theirs);
    std::printf("ratio of the overall medians: %.3f\n",
                percentile(all.ours, 0.5) / percentile(all.theirs, 0.5));
    std::printf("ratio kestrune/libmodbus (median of %zu rounds): %.3f   (rounds %.3f - %.3f)\n",
                roundRatios.size(),
                percentile(roundRatios, 0.5),
                *std::min_element(roundRatios.begin(), roundRatios.end()),
                *std::max_element(roundRatios.begin(), roundRatios.end()));
    return 0;
}
