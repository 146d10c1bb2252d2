// A download run by a caller that is no window: how it ended, the file it
// wrote and its rows, and a partial file kept or dropped without a question.
#include "core/kestruneapi.h"
#include "downloadtest.h"
#include "logexport/datalogdownload.h"
#include "logexport/resetlogdownload.h"

#include <filesystem>

namespace {

using logexport::ExportEnd;
using logexport::ExportResult;
using logexport::PartialChoice;

struct ResultCase {
    const char* name;
    bool resetLog;
    PartialChoice choice;
    void (*arrange)(DownloadRig&);
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

// lastTen from a device that answers only so many record reads.
template <int kReads> void lastTenReading(DownloadRig& rig)
{
    lastTen(rig);
    sim::Faults f;
    f.failReadsAtRegister = 17500;
    f.failAfterReadsOfRegister = kReads;
    rig.device.setFaults(f);
}

// lastTen, "Cancelar" pressed in the third record's yield (the first yield
// comes before the walk).
void lastTenCancelled(DownloadRig& rig)
{
    lastTen(rig);
    rig.view.onProcessEvents = [&rig] {
        if (rig.view.isEnabled(Control::cmdCancelar) && rig.view.processEventsCount == 4)
            CancelController(rig.context()).cmdCancelar_Click();
    };
}

template <const char* kText> void lastTenAs(DownloadRig& rig)
{
    lastTen(rig);
    rig.view.setText(Control::txtUltimos, kText);
}
constexpr char kTooMany[] = "10381";
constexpr char kNoNumber[] = "12abc";

void emptyLog(DownloadRig& rig)
{
    rig.values.PonteiroLOG = 0;
}

// Slot 2 of 78 carries a wrong CRC; 8 slots are blank.
void resetLog(DownloadRig& rig)
{
    rig.device.withState([](sim::DeviceState& s) {
        s.fillResetLog(5);
        s.resetLog[2][25] ^= 0x0001;
    });
}

void portLeadingNowhere(DownloadRig& rig)
{
    rig.lib().close_comm();
    rig.values.PortaAberta = false;
    std::filesystem::create_symlink("/nonexistent/tty", rig.programFolder() + "/../ports/com9");
    rig.view.setText(Control::txtCOM, "9");
}

constexpr const char* kWhole = "LOG_QVR_END1_2024_03_05_14_05_09.mdb";
constexpr const char* kPartial = "LOG_QVR_END1_2024_03_05_14_05_09_PARCIAL.mdb";

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

using E = ExportEnd;
using P = PartialChoice;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Ends, ExportResults, testing::Values(
    ResultCase{"dataDone", false, P::Ask, lastTen, E::Done, kWhole, 10, 1},
    ResultCase{"readFailureKept", false, P::Keep, lastTenReading<7>, E::ReadFailed, kPartial, 7, 1},
    ResultCase{"readFailureDropped", false, P::Drop, lastTenReading<3>, E::ReadFailed, "", 3, 0},
    ResultCase{"cancelledKept", false, P::Keep, lastTenCancelled, E::Cancelled, kPartial, 3, 0},
    ResultCase{"empty", false, P::Keep, emptyLog, E::Empty, "", 0, 0},
    ResultCase{"rejected", false, P::Keep, lastTenAs<kTooMany>, E::Rejected, "", 0, 0},
    ResultCase{"error", false, P::Keep, lastTenAs<kNoNumber>, E::Error, "", 0, 0},
    ResultCase{"resetDone", true, P::Ask, resetLog, E::Done,
               "LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb", 70, 1},
    ResultCase{"resetNoLink", true, P::Keep, portLeadingNowhere, E::NoLink, "", 0, 0}),
    [](const testing::TestParamInfo<ResultCase>& info) { return std::string(info.param.name); });
// clang-format on

} // namespace
