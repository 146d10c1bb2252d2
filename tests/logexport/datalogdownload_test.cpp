// The data-log download against the simulated device over a pty, through the
// real libkestrune and the real .mdb engine; files are read back with mdbtools.
#include "connection/connectcontroller.h"
#include "downloadtest.h"
#include "expectedrows.h"
#include "logexport/datalogdownload.h"
#include "logexport/resetlogdownload.h"

#include "core/kestruneapi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <numeric>
#include <utility>

namespace {

constexpr int kCapacity = 10380;
const std::string kSuccessName = std::string("LOG_QVR_END") + DownloadRig::kStamp;
const std::string kPartialName = "LOG_QVR_END1_2024_03_05_14_05_09_PARCIAL.mdb";

std::vector<int> span(int first, int last)
{
    std::vector<int> v(static_cast<std::size_t>(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The bar's positions over a walk of n records: 0 at the start, then each
// new whole percent; a walk of none is all done at once.
std::vector<int> barSteps(std::size_t n)
{
    std::vector<int> steps{n == 0 ? 100 : 0};
    for (std::size_t i = 1; i <= n; ++i) {
        const int percent = static_cast<int>(i * 100 / n);
        if (percent != steps.back())
            steps.push_back(percent);
    }
    return steps;
}

// Records served, a repeat after a reply that came too late counted once.
std::vector<int> servedOnce(const sim::Simulator& device)
{
    std::vector<int> once;
    for (int n : device.servedRecords()) {
        if (once.empty() || once.back() != n)
            once.push_back(n);
    }
    return once;
}

class DataLogDownloadTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        if (!IsSkipped())
            rig->connect();
    }

    // The device holds a full log ending at `pointer`, and the window knows it.
    void fillLog(uint16_t pointer)
    {
        rig->device.withState([&](sim::DeviceState& s) { s.fillDataLog(pointer); });
        rig->values.PonteiroLOG = pointer;
    }

    void run() { DataLogDownload(rig->context()).cmdGerar_Click(); }

    // "Cancelar" pressed during the yield of the walk's record number `index`
    // (0 for the first record fetched); the yields before the row is live
    // do not count.
    void cancelAtRecord(int index)
    {
        int yields = 0;
        rig->view.onProcessEvents = [this, index, yields]() mutable {
            if (rig->view.isEnabled(Control::cmdCancelar) && yields++ == index)
                pressCancelar();
        };
    }

    // Whole memory from a device that stops answering record reads after so many.
    void wholeMemoryReadingOnly(int records)
    {
        fillLog(kCapacity);
        sim::Faults f;
        f.failReadsAtRegister = 17500;
        f.failAfterReadsOfRegister = records;
        rig->device.setFaults(f);
        rig->view.setChecked(Control::optInteira, true);
    }

    std::string partialPath() const { return rig->outputFolder() + "/" + kPartialName; }

    std::string templatePath() const { return rig->programFolder() + "/LOG_QVR.mdb"; }
    std::string outputPath() const { return rig->outputFolder() + "/" + kSuccessName; }

    sim::DataRecord record(int n)
    {
        return rig->device.withState(
            [&](sim::DeviceState& s) { return s.records[static_cast<std::size_t>(n)]; });
    }

    void expectRowsAre(const std::vector<Row>& rows, const std::vector<int>& numbers)
    {
        ASSERT_EQ(rows.size(), numbers.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string diff = rowDifferences(rows[i], expectedDataRow(record(numbers[i])));
            ASSERT_EQ(diff, "") << "row " << i << " (record " << numbers[i] << ")";
        }
    }

    void expectIdleAgain()
    {
        EXPECT_TRUE(rig->view.isEnabled(Control::cmdGerar));
        EXPECT_TRUE(rig->view.isEnabled(Control::cmdLogReset));
        EXPECT_TRUE(rig->view.isEnabled(Control::Timer1));
    }

    // A short successful export, so that the template holds rows.
    void seedTemplate()
    {
        rig->view.setText(Control::txtUltimos, "3");
        run();
        ASSERT_EQ(readLogTable(templatePath()).size(), 3u);
        std::filesystem::remove(outputPath());
        rig->prompts.shown.clear();
        rig->device.clearTransactions();
        rig->view.enableLog.clear();
    }
};

TEST_F(DataLogDownloadTest, WholeMemoryMatchesEveryRecordServed)
{
    fillLog(kCapacity);
    rig->device.withState([](sim::DeviceState& s) {
        s.records[3] = sim::erasedRecord();
        s.records[10379] = sim::erasedRecord();
        s.records[10][40] ^= 0x0001; // stored CRC wrong
        s.records[500][7] ^= 0x0100; // content changed after the CRC
    });
    rig->view.setChecked(Control::optInteira, true);
    run();

    expectOnlyPrompt("Dados gravados com sucesso", PromptIcon::Information, "LOG QVR");
    EXPECT_EQ(rig->outputFiles(), std::vector<std::string>{kSuccessName});
    EXPECT_EQ(servedOnce(rig->device), span(0, kCapacity - 1));
    const std::vector<uint16_t> selects = selectsAt(19045);
    ASSERT_EQ(selects.size(), static_cast<std::size_t>(kCapacity));
    EXPECT_EQ(selects[0], 0xFFFF);
    EXPECT_EQ(selects[1], 0);
    EXPECT_EQ(selects.back(), kCapacity - 2);
    // One yield per record, and one before the walk.
    EXPECT_EQ(rig->view.processEventsCount, kCapacity + 1);
    EXPECT_EQ(rig->view.barLog, barSteps(kCapacity));
    EXPECT_FALSE(rig->view.isEnabled(Control::cmdCancelar));
    EXPECT_EQ(rig->clock.calls(), 1);

    const std::vector<Row> rows = readLogTable(outputPath());
    expectRowsAre(rows, span(0, kCapacity - 1));
    EXPECT_EQ(rows[3].at("CRC_Valido"), "0");
    EXPECT_EQ(rows[3].at("Data"), "255/255/255");
    EXPECT_EQ(rows[10].at("CRC_Valido"), "0");
    EXPECT_EQ(rows[500].at("CRC_Valido"), "0");
    EXPECT_EQ(rows[11].at("CRC_Valido"), "1");

    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 10379... FIM");
    EXPECT_TRUE(rig->values.PortaAberta);
    expectIdleAgain();
    // The poll stops before the template is cleared and the buttons go off.
    const auto& log = rig->view.enableLog;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], std::make_pair(Control::Timer1, false));
    EXPECT_EQ(log[1], std::make_pair(Control::cmdGerar, false));
    EXPECT_EQ(log[2], std::make_pair(Control::cmdLogReset, false));
}

struct RangeCase {
    const char* name;
    uint16_t pointer;
    Control field1;
    const char* text1;
    Control field2;
    const char* text2;
    std::vector<int> expected;
};

void PrintTo(const RangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class DataLogRanges : public DataLogDownloadTest, public testing::WithParamInterface<RangeCase> {};

TEST_P(DataLogRanges, FetchTheRecordsInWalkOrder)
{
    const RangeCase& c = GetParam();
    fillLog(c.pointer);
    rig->view.setText(c.field1, c.text1);
    rig->view.setText(c.field2, c.text2);
    run();

    expectOnlyPrompt("Dados gravados com sucesso", PromptIcon::Information, "LOG QVR");
    EXPECT_EQ(servedOnce(rig->device), c.expected);
    EXPECT_EQ(rig->view.barLog, barSteps(c.expected.size())) << "records counted before the walk";
    ASSERT_EQ(rig->outputFiles(), std::vector<std::string>{kSuccessName});
    const std::vector<Row> rows = readLogTable(outputPath());
    EXPECT_EQ(rows.size(), c.expected.size());
    if (c.expected.size() < 100)
        expectRowsAre(rows, c.expected);
    expectIdleAgain();
}

INSTANTIATE_TEST_SUITE_P(
    Choices,
    DataLogRanges,
    testing::Values(
        RangeCase{"last10of100",
                  100,
                  Control::txtAte,
                  "1",
                  Control::txtUltimos,
                  "10",
                  span(91, 100)},
        RangeCase{"last10of5Wraps",
                  5,
                  Control::txtAte,
                  "1",
                  Control::txtUltimos,
                  "10",
                  span(10376, 10380) + span(0, 5)},
        RangeCase{"lastZeroIsEmpty", 50, Control::txtAte, "1", Control::txtUltimos, "0", {}},
        RangeCase{"lastHalfRoundsToEven",
                  100,
                  Control::txtAte,
                  "1",
                  Control::txtUltimos,
                  "2.5",
                  span(98, 100)},
        RangeCase{"fiveToFourIsNone", 100, Control::txtDe, "5", Control::txtAte, "4", {}},
        RangeCase{"threeToSeven", 100, Control::txtDe, "3", Control::txtAte, "7", span(3, 7)},
        RangeCase{"tenToThreeWraps",
                  100,
                  Control::txtDe,
                  "10",
                  Control::txtAte,
                  "3",
                  span(10, 10380) + span(0, 3)}),
    [](const testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

TEST_F(DataLogDownloadTest, SecondExportInTheSameSecondReplacesTheFirst)
{
    fillLog(100);
    rig->view.setText(Control::txtUltimos, "3");
    run();
    rig->view.setText(Control::txtUltimos, "2");
    run();
    ASSERT_EQ(rig->prompts.shown.size(), 2u);
    EXPECT_EQ(rig->prompts.shown[1].text, "Dados gravados com sucesso");
    EXPECT_EQ(rig->outputFiles(), std::vector<std::string>{kSuccessName});
    expectRowsAre(readLogTable(outputPath()), span(99, 100));
}

TEST_F(DataLogDownloadTest, EmptyLogTouchesNothing)
{
    fillLog(100);
    seedTemplate();
    rig->values.PonteiroLOG = 0;
    for (Control option : {Control::optInteira, Control::optUltimos, Control::optAte}) {
        rig->view.setChecked(option, true);
        run();
    }
    ASSERT_EQ(rig->prompts.shown.size(), 3u);
    for (const auto& p : rig->prompts.shown) {
        EXPECT_EQ(p.text, "O LOG está vazio!");
        EXPECT_EQ(p.icon, PromptIcon::Information);
        EXPECT_EQ(p.title, "LOG QVR");
    }
    EXPECT_TRUE(rig->device.transactions().empty());
    EXPECT_TRUE(rig->view.enableLog.empty());
    EXPECT_EQ(readLogTable(templatePath()).size(), 3u);
    EXPECT_TRUE(rig->outputFiles().empty());
}

TEST_F(DataLogDownloadTest, ReadFailureMidwayClosesTheLinkAndKeepsTheRowsSoFar)
{
    wholeMemoryReadingOnly(25);
    run();

    const std::string text = "Erro ao ler o LOG. (Download parou no registro 24)";
    expectOnlyPrompt(text, PromptIcon::Warning, "LOG QVR");
    EXPECT_EQ(rig->view.text(Control::lblTexto), text);
    EXPECT_FALSE(rig->values.PortaAberta);
    EXPECT_EQ(rig->lib().open_comm(DownloadRig::kPort), 4) << "the port was left open";
    expectRowsAre(readLogTable(templatePath()), span(0, 24));
    expectIdleAgain();
    // Then the offer to keep them, refused: nothing more happens.
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].text, "Salvar os 25 registros lidos?");
    EXPECT_EQ(rig->prompts.questions[0].title, "LOG QVR");
    EXPECT_EQ(rig->prompts.questions[0].afterBoxes, 1u);
    EXPECT_TRUE(rig->outputFiles().empty());
    EXPECT_TRUE(rig->view.isChecked(Control::optInteira));
}

TEST_F(DataLogDownloadTest, ReadFailureThenSimKeepsTheRowsReadAsAPartialFile)
{
    wholeMemoryReadingOnly(25);
    rig->prompts.answer = true;
    run();

    ASSERT_EQ(rig->prompts.shown.size(), 2u);
    EXPECT_EQ(rig->prompts.shown[0].text, "Erro ao ler o LOG. (Download parou no registro 24)");
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].afterBoxes, 1u);
    EXPECT_EQ(rig->prompts.shown[1].text,
              "Dados parciais gravados (25 registros)\n" + partialPath());
    EXPECT_EQ(rig->prompts.shown[1].icon, PromptIcon::Information);
    EXPECT_EQ(rig->prompts.shown[1].title, "LOG QVR");
    EXPECT_EQ(rig->outputFiles(), std::vector<std::string>{kPartialName});
    expectRowsAre(readLogTable(partialPath()), span(0, 24));
    EXPECT_FALSE(rig->values.PortaAberta);
    EXPECT_TRUE(rig->view.isChecked(Control::optAte));
    EXPECT_EQ(rig->view.text(Control::txtDe), "25");
    EXPECT_EQ(rig->view.text(Control::txtAte), "10379");
    expectIdleAgain();
}

TEST_F(DataLogDownloadTest, CancelStopsAfterTheRecordInFlightAndKeepsTheLink)
{
    fillLog(kCapacity);
    rig->view.setChecked(Control::optInteira, true);
    rig->prompts.answer = true;
    cancelAtRecord(24);
    run();

    EXPECT_EQ(servedOnce(rig->device), span(0, 24));
    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 24... CANCELADO");
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].text, "Salvar os 25 registros lidos?");
    EXPECT_EQ(rig->prompts.questions[0].afterBoxes, 0u);
    expectOnlyPrompt("Dados parciais gravados (25 registros)\n" + partialPath(),
                     PromptIcon::Information,
                     "LOG QVR");
    EXPECT_EQ(rig->outputFiles(), std::vector<std::string>{kPartialName});
    expectRowsAre(readLogTable(partialPath()), span(0, 24));
    EXPECT_EQ(rig->view.text(Control::txtDe), "25");
    EXPECT_EQ(rig->view.text(Control::txtAte), "10379");
    EXPECT_TRUE(rig->view.isChecked(Control::optAte));
    EXPECT_TRUE(rig->values.PortaAberta);
    expectIdleAgain();
    EXPECT_FALSE(rig->view.isEnabled(Control::cmdCancelar));
    EXPECT_EQ(rig->view.text(Control::lblRestante), "");
}

// An Esc typed while the download opened its template waits in the window's
// queue and comes with the first yield; it must not cancel a walk that had
// not begun when it was typed.
TEST_F(DataLogDownloadTest, AnEscTypedBeforeTheWalkDoesNotCancelIt)
{
    fillLog(100);
    rig->view.setText(Control::txtUltimos, "3");
    bool queued = true;
    rig->view.onProcessEvents = [&] {
        if (std::exchange(queued, false))
            pressCancelar();
    };
    run();
    expectOnlyPrompt("Dados gravados com sucesso", PromptIcon::Information, "LOG QVR");
    EXPECT_EQ(servedOnce(rig->device), span(98, 100));
}

// A "Desconectar" then "Conectar" in one yield of either download would switch
// the download buttons on again, and a third click would start a download
// inside the download. The window passes a click only to a control that is on.
TEST_F(DataLogDownloadTest, NeitherDownloadLetsTheLinkBeRemadeOrAnotherStart)
{
    fillLog(100);
    rig->device.withState([](sim::DeviceState& s) { s.fillResetLog(5); });
    rig->view.setText(Control::txtUltimos, "3");
    rig->view.setText(Control::cmdOK, "Desconectar");
    const Control locked[] = {Control::cmdOK,
                              Control::txtTimeout,
                              Control::txtRetry,
                              Control::cboBaudRate,
                              Control::txtCOM,
                              Control::txtEnd};
    const std::function<void()> downloads[] = {
        [this] { run(); },
        [this] { ResetLogDownload(rig->context()).cmdLogReset_Click(); }};
    for (const auto& click : downloads) {
        rig->prompts.shown.clear();
        rig->view.setEnabled(Control::cmdGerar, true);
        rig->view.setEnabled(Control::cmdLogReset, true);
        bool anyOn = false;
        int nested = 0;
        rig->view.onProcessEvents = [&] {
            for (Control c : locked)
                anyOn = anyOn || rig->view.isEnabled(c);
            if (rig->view.isEnabled(Control::cmdOK)) {
                ConnectController(rig->context()).cmdOK_Click();
                ConnectController(rig->context()).cmdOK_Click();
            }
            if (rig->view.isEnabled(Control::cmdGerar) && nested++ == 0)
                run();
        };
        click();

        EXPECT_FALSE(anyOn);
        EXPECT_EQ(nested, 0);
        ASSERT_EQ(rig->prompts.shown.size(), 1u);
        EXPECT_EQ(rig->prompts.shown[0].text, "Dados gravados com sucesso");
        // Connected: the port fields stay off, as the poll keeps them.
        EXPECT_TRUE(rig->view.isEnabled(Control::cmdOK));
        for (Control c : locked)
            EXPECT_EQ(rig->view.isEnabled(c), c == Control::cmdOK);
        EXPECT_TRUE(rig->values.PortaAberta);
    }
}

TEST_F(DataLogDownloadTest, AfterAPartialSaveOneClickFetchesTheRest)
{
    // 10370 up to 10380, then 0 up to 5; stopped after 10380, record 0 is next.
    // A from-to range cannot start at 0: up to the pointer, the last N are
    // the same records; short of it, the range starts at the record read last.
    struct Case {
        uint16_t pointer;
        std::vector<int> rest;
    };
    for (const Case& c : {Case{5, span(0, 5)}, Case{100, std::vector<int>{10380} + span(0, 5)}}) {
        SetUp();
        fillLog(c.pointer);
        rig->view.setText(Control::txtDe, "10370");
        rig->view.setText(Control::txtAte, "5");
        rig->prompts.answer = true;
        cancelAtRecord(10);
        run();
        expectRowsAre(readLogTable(partialPath()), span(10370, 10380));
        if (c.pointer == 5) {
            EXPECT_TRUE(rig->view.isChecked(Control::optUltimos));
            EXPECT_EQ(rig->view.text(Control::txtUltimos), "6");
        } else {
            EXPECT_TRUE(rig->view.isChecked(Control::optAte));
            EXPECT_EQ(rig->view.text(Control::txtDe), "10380");
            EXPECT_EQ(rig->view.text(Control::txtAte), "5");
        }

        rig->view.onProcessEvents = nullptr;
        rig->device.clearServedRecords();
        rig->prompts = RecordingPrompts();
        run();
        expectOnlyPrompt("Dados gravados com sucesso", PromptIcon::Information, "LOG QVR");
        EXPECT_TRUE(rig->prompts.questions.empty());
        EXPECT_EQ(servedOnce(rig->device), c.rest);
        expectRowsAre(readLogTable(outputPath()), c.rest);
    }
}

TEST_F(DataLogDownloadTest, SilentDeviceStopsTheWalk)
{
    fillLog(100);
    sim::Faults f;
    f.stopAfter = 14; // seven records of a select and a read each
    rig->device.setFaults(f);
    rig->view.setText(Control::txtUltimos, "20");
    run();

    expectOnlyPrompt("Erro ao ler o LOG. (Download parou no registro 87)",
                     PromptIcon::Warning,
                     "LOG QVR");
    EXPECT_EQ(servedOnce(rig->device), span(81, 87));
    expectRowsAre(readLogTable(templatePath()), span(81, 87));
    EXPECT_TRUE(rig->outputFiles().empty());
    EXPECT_FALSE(rig->values.PortaAberta);

    // Nothing answers from the first record on: the message names record -1.
    rig->prompts.shown.clear();
    rig->connect();
    rig->view.setChecked(Control::optInteira, true);
    run();
    expectOnlyPrompt("Erro ao ler o LOG. (Download parou no registro -1)",
                     PromptIcon::Warning,
                     "LOG QVR");
    EXPECT_TRUE(readLogTable(templatePath()).empty());
    EXPECT_EQ(rig->prompts.questions.size(), 1u) << "only after the first failure, with rows";
}

TEST_F(DataLogDownloadTest, UnansweredSelectsDoNotStopTheRead)
{
    fillLog(100);
    sim::Faults f;
    f.silentWrites = true;
    rig->device.setFaults(f);
    rig->view.setText(Control::txtDe, "3");
    rig->view.setText(Control::txtAte, "4");
    run();

    expectOnlyPrompt("Dados gravados com sucesso", PromptIcon::Information, "LOG QVR");
    // Every select tried txtRetry times, each record still read once; the
    // device, never told, keeps showing the record after its last selection.
    std::vector<int> functions;
    for (const auto& t : rig->device.transactions())
        functions.push_back(t.function);
    EXPECT_EQ(functions, (std::vector<int>{6, 6, 3, 6, 6, 3}));
    EXPECT_EQ(servedOnce(rig->device), std::vector<int>{1});
    EXPECT_EQ(readLogTable(outputPath()).size(), 2u);
}

TEST_F(DataLogDownloadTest, NoAttemptsMeansNoTraffic)
{
    fillLog(100);
    rig->view.setText(Control::txtRetry, "x");
    rig->view.setText(Control::txtUltimos, "5");
    run();
    expectOnlyPrompt("Erro ao ler o LOG. (Download parou no registro 95)",
                     PromptIcon::Warning,
                     "LOG QVR");
    EXPECT_TRUE(rig->device.transactions().empty());
}

TEST_F(DataLogDownloadTest, RejectedRangesRestoreTheWindowWithAnEmptyTemplate)
{
    fillLog(100);
    seedTemplate();
    const std::vector<std::tuple<Control, const char*, std::string>> cases = {
        {Control::txtUltimos, "10381", "Quantidade máxima de LOGs = 10380"},
        {Control::txtDe, "0", "Registro inicial de leitura inválido. (1 a 10380)"},
        {Control::txtDe, "10380.6", "Registro inicial de leitura inválido. (1 a 10380)"},
        {Control::txtAte, "10381", "Registro final de leitura inválido. (1 a 10380)"},
    };
    for (const auto& [field, value, message] : cases) {
        rig->view.setText(Control::txtDe, "1");
        rig->view.setText(Control::txtAte, "1");
        rig->view.setText(field, value);
        rig->prompts.shown.clear();
        run();
        expectOnlyPrompt(message, PromptIcon::Information, "LOG QVR");
        expectIdleAgain();
        EXPECT_TRUE(readLogTable(templatePath()).empty()) << value;
    }
    // A bad first record is told before the last one is looked at, even when
    // the last one is no number.
    rig->view.setText(Control::txtDe, "0");
    rig->view.setText(Control::txtAte, "12abc");
    rig->prompts.shown.clear();
    run();
    expectOnlyPrompt("Registro inicial de leitura inválido. (1 a 10380)",
                     PromptIcon::Information,
                     "LOG QVR");
    expectIdleAgain();
    EXPECT_TRUE(rig->device.transactions().empty());
    EXPECT_TRUE(rig->outputFiles().empty());
}

TEST_F(DataLogDownloadTest, UnreadableTextsEndInTheErrorPath)
{
    fillLog(100);
    seedTemplate();
    for (Control field : {Control::txtUltimos, Control::txtDe, Control::txtAte}) {
        for (const char* value : {"", "12abc"}) {
            rig->view.setText(Control::txtDe, "1");
            rig->view.setText(Control::txtAte, "1");
            rig->view.setText(field, value);
            rig->view.setText(Control::lblTexto, "antes");
            rig->prompts.shown.clear();
            run();
            expectOnlyPrompt("13 - Type mismatch", PromptIcon::Warning, "");
            EXPECT_EQ(rig->view.text(Control::lblTexto), " ERRO");
            expectIdleAgain();
            EXPECT_TRUE(readLogTable(templatePath()).empty());
        }
    }
    // An address that is no number fails at the first record.
    rig->view.setText(Control::txtEnd, "x1");
    rig->view.setText(Control::txtUltimos, "2");
    rig->prompts.shown.clear();
    run();
    expectOnlyPrompt("13 - Type mismatch", PromptIcon::Warning, "");
    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 99... ERRO");
    EXPECT_TRUE(rig->device.transactions().empty());
    EXPECT_TRUE(rig->values.PortaAberta);
    EXPECT_TRUE(rig->outputFiles().empty());
}

TEST_F(DataLogDownloadTest, PointerAbove32767OverflowsTheLastNWalk)
{
    fillLog(100);
    rig->values.PonteiroLOG = 40000;
    rig->view.setText(Control::txtUltimos, "5");
    run();
    expectOnlyPrompt("6 - Overflow", PromptIcon::Warning, "");
    EXPECT_TRUE(rig->device.transactions().empty());
    expectIdleAgain();
}

TEST_F(DataLogDownloadTest, EngineAndCopyErrorsAreReportedWithTheirNumber)
{
    fillLog(100);
    rig->view.setText(Control::txtUltimos, "4");
    rig->view.setText(Control::txtCaminho, rig->outputFolder() + "/missing/");
    run();
    ASSERT_EQ(rig->prompts.shown.size(), 1u);
    const RecordedPrompt copyError = rig->prompts.shown[0];
    EXPECT_EQ(copyError.icon, PromptIcon::Warning);
    EXPECT_EQ(copyError.title, "");
    EXPECT_NE(copyError.text.find(" - "), std::string::npos) << copyError.text;
    EXPECT_EQ(rig->view.text(Control::lblTexto), "Lendo registro 100... ERRO");
    EXPECT_TRUE(rig->outputFiles().empty());
    EXPECT_EQ(readLogTable(templatePath()).size(), 4u); // closed with its rows
    expectIdleAgain();

    std::filesystem::remove(templatePath());
    rig->prompts.shown.clear();
    rig->view.enableLog.clear();
    run();
    ASSERT_EQ(rig->prompts.shown.size(), 1u);
    EXPECT_NE(rig->prompts.shown[0].text.find(" - "), std::string::npos);
    EXPECT_EQ(rig->prompts.shown[0].title, "");
    expectIdleAgain();
}

} // namespace
