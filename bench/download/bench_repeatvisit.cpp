// A repeat visit over a line as slow as 9600 baud: the device was read once
// (its memory set), has logged 24 records since, and the technician connects
// and clicks once. Prints the connect's and the download's time, measured and
// as wire time (every request and reply byte at 1146 us, as the simulator
// delays them), against the wire time of the whole memory.
#include "connection/connectcontroller.h"
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "logexport/datalogdownload.h"
#include "logexport/devicehistory.h"
#include "recordingprompts.h"
#include "simulator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock_ = std::chrono::steady_clock;

namespace {

constexpr int kPort = 3;
constexpr int kByteUs = 1146; // 11 bits a byte at 9600 baud
constexpr int kPointer = 5000;
constexpr int kNewRecords = 24;
constexpr int kWholeMemory = 10380;
// Function 3 and 6 requests are eight bytes; a write's reply echoes it.
constexpr long kRequestBytes = 8;

long replyBytes(const sim::Transaction& t)
{
    return t.function == 3 ? 5 + 2L * t.countOrValue : kRequestBytes;
}

struct Wire {
    std::size_t transactions = 0;
    long bytes = 0;
    double seconds() const { return bytes * kByteUs / 1e6; }
};

Wire wireOf(const std::vector<sim::Transaction>& all)
{
    Wire w;
    w.transactions = all.size();
    for (const auto& t : all)
        w.bytes += kRequestBytes + replyBytes(t);
    return w;
}

double secondsSince(Clock_::time_point start)
{
    return std::chrono::duration<double>(Clock_::now() - start).count();
}

} // namespace

int main()
{
    char pattern[] = "/tmp/bench_repeatvisit_XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;
    const std::string programFolder = root + "/program";
    fs::create_directories(programFolder);
    fs::create_directories(root + "/out");
    fs::copy_file(fs::path(BENCH_TEMPLATE_DIR) / "LOG_QVR.mdb", programFolder + "/LOG_QVR.mdb");

    sim::Simulator device;
    std::string why;
    if (!device.start(&why) || !device.linkAsPort(root + "/ports", kPort, &why)) {
        std::fprintf(stderr, "no simulated device: %s\n", why.c_str());
        return 1;
    }
    ::setenv("KESTRUNE_PORTS", (root + "/ports").c_str(), 1);
    device.withState([](sim::DeviceState& s) { s.fillDataLog(kPointer); });

    DynamicKestrune lib(BENCH_KESTRUNE_PATH);
    RecordingPrompts prompts;
    SystemClock clock;
    MemorySettingsStore store, memory;
    FakeView view;
    FormValues values;
    view.setText(Control::txtCOM, std::to_string(kPort));
    view.setText(Control::txtEnd, "1");
    view.setText(Control::txtRetry, "3");
    view.setText(Control::txtTimeout, "1000");
    view.setListIndex(Control::cboBaudRate, 1);
    view.setText(Control::txtCaminho, root + "/out/");
    const ControllerContext ctx{
        {lib, prompts, store, clock, programFolder, {}, programFolder + "/", {}, &memory},
        view,
        values};
    logexport::DeviceHistory history(ctx);
    ConnectController connect(ctx, [&](bool identified) { history.connected(identified); });
    DataLogDownload download(ctx, &history);

    // The first visit, at full speed: the last records up to the pointer.
    connect.cmdOK_Click();
    view.setText(Control::txtUltimos, "3");
    download.cmdGerar_Click();
    connect.cmdOK_Click();
    const std::string firstMemory = memory.value("12_345").value_or("(none)");

    device.withState([](sim::DeviceState& s) { s.writeRecords(kNewRecords); });
    sim::Faults line;
    line.byteDelayUs = kByteUs;
    device.setFaults(line);
    device.clearTransactions();
    prompts.shown.clear();

    auto start = Clock_::now();
    connect.cmdOK_Click();
    const double connectSeconds = secondsSince(start);
    const Wire connectWire = wireOf(device.transactions());
    const std::string offered = view.text(Control::lblTexto);
    const std::string from = view.text(Control::txtDe);

    device.clearTransactions();
    device.clearServedRecords();
    start = Clock_::now();
    download.cmdGerar_Click();
    const double downloadSeconds = secondsSince(start);
    const Wire downloadWire = wireOf(device.transactions());
    const std::vector<int> served = device.servedRecords();
    lib.close_comm();
    device.stop();

    const bool ok =
        prompts.shown.size() == 1 && prompts.shown[0].text == "Dados gravados com sucesso" &&
        static_cast<int>(served.size()) == kNewRecords && served.front() == kPointer + 1;
    // Every record costs what each of the new ones did: a select and a read.
    const long recordBytes = downloadWire.bytes / kNewRecords;
    const double wholeWire = kWholeMemory * recordBytes * kByteUs / 1e6;
    const double visitWire = connectWire.seconds() + downloadWire.seconds();
    std::printf("bench_repeatvisit: a repeat visit, %d new records, 9600 baud (%d us a byte)\n",
                kNewRecords,
                kByteUs);
    std::printf("  first visit       : memory %s\n", firstMemory.c_str());
    std::printf("  connect           : %.3f s measured, %.3f s of wire (%zu transactions, %ld "
                "bytes)\n",
                connectSeconds,
                connectWire.seconds(),
                connectWire.transactions,
                connectWire.bytes);
    std::printf("  offered           : \"%s\", De = %s\n", offered.c_str(), from.c_str());
    std::printf("  download          : %.3f s measured, %.3f s of wire (%zu transactions, %ld "
                "bytes)\n",
                downloadSeconds,
                downloadWire.seconds(),
                downloadWire.transactions,
                downloadWire.bytes);
    std::printf("  connect+download  : %.3f s measured, %.3f s of wire (goal <= 6 s of wire)\n",
                connectSeconds + downloadSeconds,
                visitWire);
    std::printf("  whole memory      : %.0f s = %.1f min of wire (%d records x %ld bytes), "
                "%.0f times the repeat visit\n",
                wholeWire,
                wholeWire / 60,
                kWholeMemory,
                recordBytes,
                wholeWire / visitWire);
    std::printf("  result            : %s (%zu records served, memory now %s)\n",
                ok ? "exported" : "FAILED",
                served.size(),
                memory.value("12_345").value_or("(none)").c_str());

    std::error_code ec;
    fs::remove_all(root, ec);
    return ok ? 0 : 1;
}
