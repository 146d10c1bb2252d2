// Whole-memory data-log download (10380 records) against a simulated device
// that answers at once: total time, time per record, the share the .mdb engine
// takes, and the peak resident memory.
#include "benchrig.h"
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "logexport/datalogdownload.h"
#include "logexport/datalogrecord.h"
#include "logexport/exportdatabase.h"
#include "mdb/copy.h"
#include "mdb/dao.h"
#include "recordingprompts.h"
#include "simulator.h"

#ifdef BENCH_WITH_WINDOW
#include "core/folderpicker.h"
#include "ui/frmmain.h"
#include <QApplication>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/resource.h>

using Clock_ = std::chrono::steady_clock;

namespace {

constexpr int kRecords = 10380;
constexpr int kPort = 3;

double secondsSince(Clock_::time_point start)
{
    return std::chrono::duration<double>(Clock_::now() - start).count();
}

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

#ifdef BENCH_WITH_WINDOW
class NoFolders : public FolderPicker {
public:
    std::optional<std::string> chooseFolder(const std::string&) override { return std::nullopt; }
};
#endif

// The engine's part of the download, replayed alone: open and clear the
// template, add the same rows through the same writer, close and copy.
double engineSeconds(const std::string& programFolder,
                     const std::string& outputFile,
                     const std::vector<sim::DataRecord>& records)
{
    std::vector<logexport::DataLogRow> rows;
    rows.reserve(kRecords);
    for (int n = 0; n < kRecords; ++n) {
        logexport::DataLogWords w{};
        std::copy(records[static_cast<std::size_t>(n)].begin(),
                  records[static_cast<std::size_t>(n)].end(),
                  w.begin());
        rows.push_back(logexport::decodeDataLog(w));
    }
    const std::string path = programFolder + logexport::kDataTemplate;
    const auto start = Clock_::now();
    logexport::ExportDatabase db(mdb::dbEngine());
    db.open(path);
    db.clearTable();
    for (const auto& row : rows)
        db.addRow([&](mdb::Recordset& rs) { logexport::writeDataLogRow(rs, row); });
    db.close();
    mdb::copyDatabase(path, outputFile);
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
#ifdef BENCH_WITH_WINDOW
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#else
    (void)argc;
    (void)argv;
#endif
    BenchRig rig;
    if (!rig.start("bench_download", kPort))
        return 1;
    const std::string& root = rig.root;
    const std::string& programFolder = rig.programFolder;
    const std::string& outputFolder = rig.outputFolder;
    sim::Simulator& device = rig.device;
    device.withState([](sim::DeviceState& s) { s.fillDataLog(kRecords); });

    DynamicKestrune lib(BENCH_KESTRUNE_PATH);
    if (lib.open_comm(kPort) != 4) {
        std::fprintf(stderr, "the simulated port did not open\n");
        return 1;
    }
    lib.set_baud(115200, 2);
    lib.set_timeout(10000, 200, 1, 5000, 1000);

    RecordingPrompts prompts;
    SystemClock clock;
    MemorySettingsStore store;
#ifdef BENCH_WITH_WINDOW
    NoFolders folders;
    FrmMain window(
        ControllerServices{lib, prompts, store, clock, programFolder, {}, programFolder + "/"},
        folders);
    window.show();
    FormView& view = window;
    FormValues& values = window.values();
    const char* viewName = "Qt window (offscreen)";
#else
    FakeView view;
    FormValues values;
    const char* viewName = "plain-value window";
#endif
    view.setText(Control::txtRetry, "3");
    view.setText(Control::txtEnd, "1");
    view.setText(Control::txtCaminho, outputFolder);
    view.setChecked(Control::optInteira, true);
    values.PortaAberta = true;
    values.PonteiroLOG = kRecords;

    DataLogDownload download(
        ControllerContext{{lib, prompts, store, clock, programFolder, {}, programFolder + "/"},
                          view,
                          values});
    const auto start = Clock_::now();
    download.cmdGerar_Click();
    const double total = secondsSince(start);
    lib.close_comm();

    const bool ok =
        prompts.shown.size() == 1 && prompts.shown[0].text == "Dados gravados com sucesso";
    const std::size_t served = device.servedRecords().size();
    const auto records = device.withState([](sim::DeviceState& s) { return s.records; });
    device.stop();
    const double engine = engineSeconds(programFolder, root + "/engine_replay.mdb", records);
    const long peakKb = peakRssKb();

    std::printf("bench_download: whole memory, %d records, %s\n", kRecords, viewName);
    std::printf("  result            : %s (%zu records served)\n",
                ok ? "exported"
                   : (prompts.shown.empty() ? "no message" : prompts.shown[0].text.c_str()),
                served);
    std::printf("  total             : %.3f s (goal <= 3 s)\n", total);
    std::printf("  per record        : %.1f us\n", total / kRecords * 1e6);
    std::printf("  .mdb engine       : %.3f s replayed alone, %.1f %% of the total\n",
                engine,
                100.0 * engine / total);
    std::printf("  peak memory (RSS) : %.1f MB (goal <= 80 MB)\n", peakKb / 1024.0);
    return ok ? 0 : 1;
}
