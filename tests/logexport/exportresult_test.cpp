// A download run by a caller that is no window: how it ended, the file it
// wrote and its rows, and a partial file kept or dropped without a question.
#include "core/kestruneapi.h"
#include "downloadtest.h"
#include "logexport/datalogdownload.h"
#include "logexport/resetlogdownload.h"

#include <filesystem>
#include <functional>

namespace {

using logexport::ExportEnd;
using logexport::ExportResult;
using logexport::PartialChoice;

struct ResultCase {
    const char* name;
    bool resetLog;
    PartialChoice choice;
    std::function<void(DownloadRig&)> arrange;
    ExportEnd end;
    const char* file; // the name in the output folder, "" for none
    int rows;
    int badCrcRows;
};

void PrintTo(const ResultCase& c, std::ostream* os)
{
    *os << c.name;
}

// Records 91 to 100, of which 95 carries a wrong CRC.
void lastTen(DownloadRig& rig)
{
    rig.device.withState([](sim::DeviceState& s) {
        s.fillDataLog(100);
        s.records[95][40] ^= 0x0001;
    });
    rig.values.PonteiroLOG = 100;
    rig.view.setText(Control::txtUltimos, "10");
}

void failAfter(DownloadRig& rig, int register_, int reads)
{
    sim::Faults f;
    f.failReadsAtRegister = register_;
    f.failAfterReadsOfRegister = reads;
    rig.device.setFaults(f);
}

class ExportResults : public DownloadTest, public testing::WithParamInterface<ResultCase> {};

TEST_P(ExportResults, TellHowTheRunEndedAndWhatItWrote)
{
    const ResultCase& c = GetParam();
    rig->connect();
    c.arrange(*rig);
    const ExportResult result = c.resetLog ? ResetLogDownload(rig->context()).run(c.choice)
                                           : DataLogDownload(rig->context()).run(c.choice);

    EXPECT_EQ(result.end, c.end);
    const std::string expected = *c.file ? rig->outputFolder() + "/" + c.file : "";
    EXPECT_EQ(result.file, expected);
    EXPECT_EQ(result.partial, expected.find("_PARCIAL") != std::string::npos);
    EXPECT_EQ(rig->outputFiles().size(), *c.file ? 1u : 0u);
    EXPECT_EQ(result.rows, c.rows);
    EXPECT_EQ(result.badCrcRows, c.badCrcRows);
    EXPECT_EQ(result.error.empty(), c.end != ExportEnd::Error) << result.error;
    if (c.choice != PartialChoice::Ask) {
        EXPECT_TRUE(rig->prompts.questions.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends,
    ExportResults,
    testing::Values(ResultCase{"dataDone",
                               false,
                               PartialChoice::Ask,
                               lastTen,
                               ExportEnd::Done,
                               "LOG_QVR_END1_2024_03_05_14_05_09.mdb",
                               10,
                               1},
                    ResultCase{"readFailureKept",
                               false,
                               PartialChoice::Keep,
                               [](DownloadRig& r) {
                                   lastTen(r);
                                   failAfter(r, 17500, 7);
                               },
                               ExportEnd::ReadFailed,
                               "LOG_QVR_END1_2024_03_05_14_05_09_PARCIAL.mdb",
                               7,
                               1},
                    ResultCase{"readFailureDropped",
                               false,
                               PartialChoice::Drop,
                               [](DownloadRig& r) {
                                   lastTen(r);
                                   failAfter(r, 17500, 3);
                               },
                               ExportEnd::ReadFailed,
                               "",
                               3,
                               0},
                    ResultCase{"cancelledKept",
                               false,
                               PartialChoice::Keep,
                               [](DownloadRig& r) {
                                   lastTen(r);
                                   r.view.onProcessEvents = [&r] {
                                       if (r.view.isEnabled(Control::cmdCancelar) &&
                                           r.view.processEventsCount == 4)
                                           CancelController(r.context()).cmdCancelar_Click();
                                   };
                               },
                               ExportEnd::Cancelled,
                               "LOG_QVR_END1_2024_03_05_14_05_09_PARCIAL.mdb",
                               3,
                               0},
                    ResultCase{"empty",
                               false,
                               PartialChoice::Keep,
                               [](DownloadRig& r) { r.values.PonteiroLOG = 0; },
                               ExportEnd::Empty,
                               "",
                               0,
                               0},
                    ResultCase{"rejected",
                               false,
                               PartialChoice::Keep,
                               [](DownloadRig& r) {
                                   lastTen(r);
                                   r.view.setText(Control::txtUltimos, "10381");
                               },
                               ExportEnd::Rejected,
                               "",
                               0,
                               0},
                    ResultCase{"error",
                               false,
                               PartialChoice::Keep,
                               [](DownloadRig& r) {
                                   lastTen(r);
                                   r.view.setText(Control::txtUltimos, "12abc");
                               },
                               ExportEnd::Error,
                               "",
                               0,
                               0},
                    ResultCase{"resetDone",
                               true,
                               PartialChoice::Ask,
                               [](DownloadRig& r) {
                                   r.device.withState([](sim::DeviceState& s) {
                                       s.fillResetLog(5);
                                       s.resetLog[2][25] ^= 0x0001;
                                   });
                               },
                               ExportEnd::Done,
                               "LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb",
                               70,
                               1},
                    ResultCase{"resetNoLink",
                               true,
                               PartialChoice::Keep,
                               [](DownloadRig& r) {
                                   r.lib().close_comm();
                                   r.values.PortaAberta = false;
                                   std::filesystem::create_symlink("/nonexistent/tty",
                                                                   r.programFolder() +
                                                                       "/../ports/com9");
                                   r.view.setText(Control::txtCOM, "9");
                               },
                               ExportEnd::NoLink,
                               "",
                               0,
                               0}),
    [](const testing::TestParamInfo<ResultCase>& info) { return std::string(info.param.name); });

} // namespace
