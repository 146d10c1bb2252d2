// report_makelogs OUTDIR: a whole-memory data-log download (10380 records)
// and a reset-log download from the simulated device, through the real
// download controllers, the real library and the real engine; their files
// land in OUTDIR and their paths are printed, data log first. A few records
// are altered in the device first, so the report meets what the field has:
// erased cells, bad CRCs (in both logs) and a clock set back.
#include "downloadrig.h"
#include "logexport/datalogdownload.h"
#include "logexport/resetlogdownload.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace {

void alterRecords(sim::DeviceState& s)
{
    for (int n : {100, 101, 5000})
        s.records[static_cast<std::size_t>(n)] = sim::erasedRecord();
    for (int n : {200, 7001, 7002}) {
        auto& r = s.records[static_cast<std::size_t>(n)];
        r[40] = static_cast<uint16_t>(r[40] ^ 0x5A5A);
    }
    auto& entry = s.resetLog[3];
    entry[25] = static_cast<uint16_t>(entry[25] ^ 0x1111);
    // Record 3000 written after the clock went back a day.
    auto& r = s.records[3000];
    if (r[0] >> 8 > 1)
        r[0] = static_cast<uint16_t>(r[0] - 0x0100);
    r[40] = sim::recordCrc(r.data(), 40);
}

bool download(DownloadRig& rig, bool resetLog)
{
    ControllerContext ctx = rig.context();
    ctx.sleepMs = [](int) {};
    if (resetLog)
        ResetLogDownload(ctx).cmdLogReset_Click();
    else
        DataLogDownload(ctx).cmdGerar_Click();
    return rig.outputFiles().size() == (resetLog ? 2u : 1u);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: report_makelogs OUTDIR\n";
        return 2;
    }
    DownloadRig rig;
    std::string why;
    if (!rig.start(&why)) {
        std::cerr << "no simulator: " << why << "\n";
        return 77;
    }
    rig.device.withState([](sim::DeviceState& s) {
        s.fillDataLog(10380);
        s.fillResetLog(40);
        alterRecords(s);
    });
    rig.connect();
    rig.values.PonteiroLOG = 10380;
    rig.view.setChecked(Control::optInteira, true);
    if (!download(rig, false)) {
        std::cerr << "the data-log download wrote no file\n";
        return 1;
    }
    if (!download(rig, true)) {
        std::cerr << "the reset-log download wrote no file\n";
        return 1;
    }
    fs::create_directories(argv[1]);
    std::vector<std::string> files = rig.outputFiles();
    std::sort(files.begin(), files.end()); // LOG_QVR_... before LOG_RESET_...
    for (const std::string& name : files) {
        const fs::path to = fs::path(argv[1]) / name;
        fs::copy_file(fs::path(rig.outputFolder()) / name,
                      to,
                      fs::copy_options::overwrite_existing);
        std::cout << to.string() << "\n";
    }
    return 0;
}
