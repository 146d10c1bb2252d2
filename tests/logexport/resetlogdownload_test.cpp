// The reset-log download against the simulated device over a pty, through the
// real libkestrune and the real .mdb engine, with its real 50 ms pauses.
#include "downloadtest.h"
#include "expectedrows.h"
#include "logexport/resetlogdownload.h"
#include "scriptedkestrune.h"

#include "core/kestruneapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

const std::string kSuccessName = std::string("LOG_RESET_QVR_END") + DownloadRig::kStamp;
const std::string kPartialName = "LOG_RESET_QVR_END1_2024_03_05_14_05_09_PARCIAL.mdb";

class ResetLogDownloadTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        if (IsSkipped())
            return;
        // The window as a connect leaves it, with the data-log pointer known.
        rig->values.PonteiroLOG = 321;
        rig->view.setEnabled(Control::cmdGerar, true);
        rig->view.setEnabled(Control::cmdLogReset, true);
    }

    void fillLog(uint16_t pointer)
    {
        rig->device.withState([&](sim::DeviceState& s) { s.fillResetLog(pointer); });
    }

    void run() { ResetLogDownload(rig->context()).cmdLogReset_Click(); }

    std::string templatePath() const { return rig->programFolder() + "/LOG_RESET_QVR.mdb"; }

    std::vector<sim::ResetEntry> nonBlankEntries(int slotsRead)
    {
        return rig->device.withState([&](sim::DeviceState& s) {
            std::vector<sim::ResetEntry> entries;
            for (int k = 0; k < slotsRead; ++k) {
                if (s.resetLog[static_cast<std::size_t>(k)][4] != 0xFFFF)
                    entries.push_back(s.resetLog[static_cast<std::size_t>(k)]);
            }
            return entries;
        });
    }

    void expectRowsAre(const std::vector<Row>& rows, const std::vector<sim::ResetEntry>& entries)
    {
        ASSERT_EQ(rows.size(), entries.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            ASSERT_EQ(rowDifferences(rows[i], expectedResetRow(entries[i])), "") << "row " << i;
    }
};

TEST_F(ResetLogDownloadTest, OpensTheLinkItselfAndWritesEveryNonBlankSlot)
{
    fillLog(5);
    rig->device.withState([](sim::DeviceState& s) { s.resetLog[3][25] ^= 0x0001; });
    // A device without the data-log option: the end of the download turns its
    // button on all the same.
    rig->view.setEnabled(Control::cmdGerar, false);
    run();

    expectOnlyPrompt("Dados gravados com sucesso", PromptIcon::Information, "OK");
    EXPECT_EQ(rig->outputFiles(), std::vector<std::string>{kSuccessName});
    const std::vector<sim::ResetEntry> entries = nonBlankEntries(78);
    ASSERT_LT(entries.size(), 78u) << "the device should hold blank slots";
    const std::vector<Row> rows = readLogTable(rig->outputFolder() + "/" + kSuccessName);
    expectRowsAre(rows, entries);
    EXPECT_EQ(rows[3].at("CRC_Valido"), "0");
    EXPECT_EQ(rows[2].at("CRC_Valido"), "1");

    const std::vector<uint16_t> selects = selectsAt(19096);
    ASSERT_EQ(selects.size(), 78u);
    for (uint16_t k = 0; k < 78; ++k)
        EXPECT_EQ(selects[k], k);
    // A pause after every select and read attempt; a yield before each read pass.
    EXPECT_GE(rig->sleeps.size(), 156u);
    EXPECT_EQ(static_cast<int>(rig->sleeps.size()), transactionsAt(19096) + transactionsAt(17600));
    EXPECT_EQ(std::count(rig->sleeps.begin(), rig->sleeps.end(), 50),
              static_cast<long>(rig->sleeps.size()));
    EXPECT_GE(rig->view.processEventsCount, 78);

    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 78 de 78... FIM");
    EXPECT_TRUE(rig->values.PortaAberta);
    // The reset-log pointer stands in PonteiroLOG until the next poll tick.
    EXPECT_EQ(rig->values.ponteiro(), 5);
    EXPECT_EQ(rig->values.qtd_log_rst, entries.back()[3] >> 8);
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
    EXPECT_EQ(rig->lib().open_comm(DownloadRig::kPort), 1) << "the link should stay open";
}

TEST_F(ResetLogDownloadTest, FailureAtSlot40KeepsTheRowsSoFarAndMakesNoOutput)
{
    fillLog(5);
    rig->connect();
    sim::Faults f;
    f.failReadsAtRegister = 17600;
    f.failAfterReadsOfRegister = 40;
    rig->device.setFaults(f);
    rig->view.setText(Control::txtRetry, "1");
    run();

    expectOnlyPrompt("Erro ao ler o LOG", PromptIcon::Warning, "LOG QVR");
    EXPECT_EQ(rig->view.text(Control::lblTexto), "Erro");
    EXPECT_FALSE(rig->values.PortaAberta);
    EXPECT_EQ(rig->lib().open_comm(DownloadRig::kPort), 4) << "the port was left open";
    rig->lib().close_comm();
    EXPECT_TRUE(rig->outputFiles().empty());
    expectRowsAre(readLogTable(templatePath()), nonBlankEntries(40));
    EXPECT_EQ(rig->view.processEventsCount, 1 + 40 + 10);
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
    // Then the offer to keep the rows (not the slots), refused here.
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].text,
              "Salvar os " + std::to_string(nonBlankEntries(40).size()) + " registros lidos?");
    EXPECT_EQ(rig->prompts.questions[0].afterBoxes, 1u);
}

TEST_F(ResetLogDownloadTest, CancelKeepsTheSlotsReadAndDoesNotWaitOutFailingPasses)
{
    fillLog(5);
    rig->connect();
    rig->view.setText(Control::txtRetry, "1");
    rig->prompts.answer = true;
    // "Cancelar" during the yield before slot 10's read: that slot is read first.
    rig->view.onProcessEvents = [this] {
        if (rig->view.processEventsCount == 1 + 11)
            pressCancelar();
    };
    run();

    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 11 de 78... CANCELADO");
    EXPECT_EQ(transactionsAt(19096), 11);
    const std::vector<sim::ResetEntry> kept = nonBlankEntries(11);
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].text,
              "Salvar os " + std::to_string(kept.size()) + " registros lidos?");
    const std::string partial = rig->outputFolder() + "/" + kPartialName;
    expectOnlyPrompt("Dados parciais gravados (" + std::to_string(kept.size()) + " registros)\n" +
                         partial,
                     PromptIcon::Information,
                     "OK");
    EXPECT_EQ(rig->outputFiles(), std::vector<std::string>{kPartialName});
    expectRowsAre(readLogTable(partial), kept);
    EXPECT_TRUE(rig->values.PortaAberta);
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
    EXPECT_FALSE(rig->view.isEnabled(Control::cmdCancelar));

    // Slot 3 stops answering; a cancel during its first pass ends the walk
    // before the second, instead of after nine more.
    rig->device.clearTransactions();
    rig->prompts = RecordingPrompts();
    sim::Faults f;
    f.failReadsAtRegister = 17600;
    f.failAfterReadsOfRegister = 3;
    rig->device.setFaults(f);
    rig->view.processEventsCount = 0;
    rig->view.onProcessEvents = [this] {
        if (rig->view.processEventsCount == 1 + 4)
            pressCancelar();
    };
    run();
    EXPECT_EQ(transactionsAt(17600), 4);
    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 4 de 78... CANCELADO");
    EXPECT_TRUE(rig->prompts.shown.empty()) << "a cancel is no read failure";
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].text, "Salvar os 3 registros lidos?");
    EXPECT_TRUE(rig->values.PortaAberta);
}

TEST_F(ResetLogDownloadTest, EmptyPointerAndUnreadablePointer)
{
    fillLog(0);
    rig->connect();
    run();
    expectOnlyPrompt("O LOG de reset está vazio!", PromptIcon::Information, "LOG QVR");
    ASSERT_TRUE(rig->values.PonteiroLOG.has_value());
    EXPECT_EQ(*rig->values.PonteiroLOG, 0);
    EXPECT_TRUE(rig->values.PortaAberta);
    EXPECT_GE(transactionsAt(17172), 1);
    EXPECT_EQ(transactionsAt(19096), 0);
    EXPECT_TRUE(rig->outputFiles().empty());
    EXPECT_TRUE(rig->view.enableLog.size() == 2u) << "only the fixture's own calls";

    // A silent device: six passes of the attempt count, then the link closes.
    rig->prompts.shown.clear();
    rig->device.clearTransactions();
    sim::Faults f;
    f.failReadsAtRegister = 17172;
    rig->device.setFaults(f);
    rig->view.setText(Control::txtRetry, "2");
    rig->values.PonteiroLOG = 321;
    run();
    expectOnlyPrompt("Erro ao ler o LOG", PromptIcon::Warning, "LOG QVR");
    EXPECT_EQ(transactionsAt(17172), 12);
    EXPECT_EQ(rig->values.ponteiro(), 321) << "nothing read, nothing stored";
    EXPECT_FALSE(rig->values.PortaAberta);
    EXPECT_EQ(rig->lib().open_comm(DownloadRig::kPort), 4) << "the port was left open";
    rig->lib().close_comm();
}

TEST_F(ResetLogDownloadTest, OpeningProblemsAreToldAndLeaveTheLinkClosed)
{
    fillLog(5);
    // A port number that leads nowhere.
    std::filesystem::create_symlink("/nonexistent/tty", rig->programFolder() + "/../ports/com9");
    rig->view.setText(Control::txtCOM, "9");
    run();
    const std::string ports =
        std::filesystem::path(rig->programFolder() + "/../ports").lexically_normal().string();
    expectOnlyPrompt("Erro ao abrir porta COM.\nPorta 9 (" + ports +
                         "/com9 → /nonexistent/tty) não existe.",
                     PromptIcon::Warning,
                     "Erro");
    EXPECT_FALSE(rig->values.PortaAberta);

    // Texts that are no numbers stop before anything is opened.
    rig->view.setText(Control::txtCOM, std::to_string(DownloadRig::kPort));
    for (auto [field, value] : {std::pair{Control::txtCOM, "7a"}, {Control::cboBaudRate, "96OO"}}) {
        const std::string previous = rig->view.text(field);
        rig->view.setText(field, value);
        rig->prompts.shown.clear();
        run();
        expectOnlyPrompt("13 - Type mismatch", PromptIcon::Warning, "");
        EXPECT_FALSE(rig->values.PortaAberta);
        EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
        EXPECT_TRUE(rig->view.isEnabled(Control::cmdGerar));
        rig->view.setText(field, previous);
    }
    EXPECT_EQ(rig->lib().open_comm(DownloadRig::kPort), 4);
    rig->lib().close_comm();

    // A rate the port refuses ends like the connect: closed, nothing said.
    rig->view.setText(Control::cboBaudRate, "0");
    rig->prompts.shown.clear();
    run();
    EXPECT_TRUE(rig->prompts.shown.empty());
    EXPECT_FALSE(rig->values.PortaAberta);
    EXPECT_EQ(rig->lib().open_comm(DownloadRig::kPort), 4) << "the port was left open";
    rig->lib().close_comm();
    EXPECT_TRUE(rig->device.transactions().empty());
}

TEST_F(ResetLogDownloadTest, ErrorsAreToldAndNeverLeaveTheButtonsOff)
{
    fillLog(5);
    rig->connect();
    // Before the busy state: the buttons stay as they were.
    std::filesystem::rename(templatePath(), templatePath() + ".away");
    rig->view.setEnabled(Control::cmdGerar, false);
    rig->view.setText(Control::lblTexto, "x");
    run();
    ASSERT_EQ(rig->prompts.shown.size(), 1u);
    const RecordedPrompt p = rig->prompts.shown[0];
    EXPECT_EQ(p.icon, PromptIcon::Warning);
    EXPECT_EQ(p.title, "");
    EXPECT_NE(p.text.find(" - "), std::string::npos) << p.text;
    EXPECT_EQ(rig->view.text(Control::lblTexto), "x ERRO");
    EXPECT_FALSE(rig->view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
    EXPECT_TRUE(rig->values.PortaAberta);
    EXPECT_TRUE(rig->outputFiles().empty());

    // During the walk: an address edited into no number stops it at the next
    // read, with both buttons on again and the template released.
    std::filesystem::rename(templatePath() + ".away", templatePath());
    rig->prompts.shown.clear();
    rig->view.onProcessEvents = [this] { rig->view.setText(Control::txtEnd, "x"); };
    run();
    expectOnlyPrompt("13 - Type mismatch", PromptIcon::Warning, "");
    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 1 de 78... ERRO");
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
    EXPECT_TRUE(rig->values.PortaAberta);
    EXPECT_TRUE(readLogTable(templatePath()).empty());
    EXPECT_TRUE(rig->outputFiles().empty());
}

// Opening the port itself, the download takes the port fields as the connect
// does: a 16-bit port number, and a time-out never below 0.
TEST(ResetLogOwnLink, PortAndTimeOutAreTakenAsTheConnectTakesThem)
{
    CallLog log;
    ScriptedKestrune lib(log); // the reset-log pointer reads 0: the download stops there
    FakeView view;
    FormValues values;
    RecordingPrompts prompts;
    MemorySettingsStore store;
    SystemClock clock;
    ResetLogDownload download(
        {{lib, prompts, store, clock, "/nowhere", [](int) {}, "/nowhere/"}, view, values});
    view.setText(Control::txtCOM, "7");
    view.setListIndex(Control::cboBaudRate, 1);
    view.setText(Control::txtTimeout, "-1");
    download.cmdLogReset_Click();
    EXPECT_EQ(log,
              (CallLog{"open_comm(7)",
                       "set_baud(9600,2)",
                       "set_timeout(10000,0,1,5000,1000)",
                       "modbus_rd(1,17172,1)"}));

    log.clear();
    prompts.shown.clear();
    values.PortaAberta = false;
    view.setText(Control::txtCOM, "40000");
    download.cmdLogReset_Click();
    EXPECT_TRUE(log.empty()) << "nothing opened for a port number that does not fit";
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "6 - Overflow");
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompts.shown[0].title, "");
}

} // namespace
