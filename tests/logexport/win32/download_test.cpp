// The downloads on Windows through the real controllers: kestrune.dll bound
// by name as the program binds it, talking through Wine's COM21 to the Linux
// simulator that download.sh starts (--pointer 150), and the engine writing
// into copies of the Linux build's templates. download.sh then reads the
// files back on Linux with mdbtools and checks every row against the
// simulator. LOGQVR_WINE_WORK names the work folder: program\ holds the
// templates, the files go to out-last\, out-range\, out-reset\ and fill\.
#include "connection/connectcontroller.h"
#include "connection/dynamickestrune.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "fixedclock.h"
#include "logexport/datalogdownload.h"
#include "logexport/datalogrecord.h"
#include "logexport/exportdatabase.h"
#include "logexport/resetlogdownload.h"
#include "mdb/copy.h"
#include "mdb/dao.h"
#include "recordingprompts.h"
#include "simulator.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kPort = "21";
constexpr int32_t kPointer = 150;
constexpr const char* kStamp = "1_2024_03_05_14_05_09.mdb";

// With its trailing separator, as the user's folder field holds it.
std::string workFolder()
{
    const char* work = std::getenv("LOGQVR_WINE_WORK");
    return work != nullptr ? std::string(work) + "\\" : std::string();
}

bool isFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(win32::widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class WineDownload : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_work.empty()) << "LOGQVR_WINE_WORK is not set; run download.sh";
        m_view.setText(Control::txtCOM, kPort);
        m_view.setText(Control::txtTimeout, "500");
        m_view.setText(Control::txtRetry, "3");
        m_view.setListIndex(Control::cboBaudRate, 1);
    }

    ControllerContext context()
    {
        return {{m_lib, m_prompts, m_store, m_clock, m_work + "program", {}, m_work + "program/"},
                m_view,
                m_values};
    }

    void expectSaved(const std::string& outputName)
    {
        ASSERT_FALSE(m_prompts.shown.empty());
        EXPECT_EQ(m_prompts.shown.back().text, "Dados gravados com sucesso");
        EXPECT_EQ(m_prompts.shown.back().icon, PromptIcon::Information);
        EXPECT_TRUE(isFile(outputName)) << outputName;
        const std::string progress = m_view.text(Control::lblTexto);
        EXPECT_EQ(progress.substr(progress.size() - 4), " FIM") << progress;
    }

    const std::string m_work = workFolder();
    DynamicKestrune m_lib; // kestrune.dll from beside this program
    FakeView m_view;
    FormValues m_values;
    RecordingPrompts m_prompts;
    MemorySettingsStore m_store;
    FixedClock m_clock;
};

TEST_F(WineDownload, ConnectThenBothLogsThroughTheControllers)
{
    ConnectController connect(context());
    connect.cmdOK_Click();
    ASSERT_EQ(m_view.text(Control::cmdOK), "Desconectar");
    ASSERT_TRUE(m_prompts.shown.empty()) << m_prompts.shown.front().text;
    EXPECT_TRUE(m_values.PortaAberta);
    EXPECT_EQ(m_values.VersaoHUS_inf, 124);
    EXPECT_EQ(m_values.NumSerie1, 12);
    EXPECT_EQ(m_values.NumSerie2, 345);
    EXPECT_EQ(m_values.Subversao, 4);
    EXPECT_EQ(m_values.Options, 1);
    EXPECT_EQ(m_values.ponteiro(), kPointer);
    EXPECT_EQ(m_store.value("COM").value_or(""), kPort);

    // The last 300 before record 150 run across the end of the memory:
    // 10231 to 10380, then 0 to 150.
    m_view.setText(Control::txtUltimos, "300");
    m_view.setText(Control::txtCaminho, m_work + "out-last\\");
    DataLogDownload(context()).cmdGerar_Click();
    expectSaved(m_work + "out-last\\LOG_QVR_END" + kStamp);
    EXPECT_EQ(m_view.text(Control::lblTexto), "Lendo registro 150... FIM");

    m_view.setText(Control::txtDe, "5000");
    m_view.setText(Control::txtAte, "5199");
    m_view.setText(Control::txtCaminho, m_work + "out-range\\");
    DataLogDownload(context()).cmdGerar_Click();
    expectSaved(m_work + "out-range\\LOG_QVR_END" + kStamp);

    m_view.setText(Control::txtCaminho, m_work + "out-reset\\");
    ResetLogDownload(context()).cmdLogReset_Click();
    expectSaved(m_work + "out-reset\\LOG_RESET_QVR_END" + kStamp);
    EXPECT_EQ(m_prompts.shown.size(), 3u) << "only the three successes were told";

    connect.cmdOK_Click();
    EXPECT_EQ(m_view.text(Control::cmdOK), "Conectar");
    EXPECT_FALSE(m_values.PortaAberta);
}

// A whole memory of decoded records written twice over into a template, as
// two whole-memory downloads would, without the line's time.
TEST(WineEngineFill, AWholeMemoryOfDecodedRecordsTwice)
{
    const std::string work = workFolder();
    ASSERT_FALSE(work.empty()) << "LOGQVR_WINE_WORK is not set; run download.sh";
    const std::string path = work + "fill\\LOG_QVR.mdb";
    mdb::copyDatabase(work + "program\\LOG_QVR.mdb", path);
    for (int pass = 0; pass < 2; ++pass) {
        logexport::ExportDatabase db(mdb::dbEngine());
        db.open(path);
        db.clearTable();
        for (int n = 0; n < logexport::kLogCapacity; ++n) {
            const sim::DataRecord record = sim::makeRecord(n);
            logexport::DataLogWords words{};
            std::copy(record.begin(), record.end(), words.begin());
            const logexport::DataLogRow row = logexport::decodeDataLog(words);
            db.addRow([&](mdb::Recordset& rs) { logexport::writeDataLogRow(rs, row); });
        }
        db.close();
    }
    EXPECT_TRUE(isFile(path));
}

} // namespace
