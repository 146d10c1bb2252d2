// The connect sequence call by call, against a scripted library that records
// every call in one log with the settings writes: what the simulated device
// cannot show (time-out arguments, calls after a refused baud rate, where the
// settings are written, what an unreadable option register becomes), and the
// retry rule with an attempt count that changes while it runs.
#include "connection/connectcontroller.h"
#include "connection/retry.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "recordingprompts.h"
#include "scriptedkestrune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using Log = CallLog;

class LoggingStore : public MemorySettingsStore {
public:
    explicit LoggingStore(Log& log) : m_log(log) {}
    void setValue(const std::string& key, const std::string& text) override
    {
        m_log.push_back("save " + key + "=" + text);
        MemorySettingsStore::setValue(key, text);
    }

private:
    Log& m_log;
};

class ConnectSequence : public testing::Test {
protected:
    void SetUp() override
    {
        view.setText(Control::txtTimeout, "200");
        view.setText(Control::txtRetry, "1");
        view.setListIndex(Control::cboBaudRate, 5);
        view.setText(Control::txtCOM, "7");
        view.setText(Control::txtEnd, "1");
        view.setText(Control::txtCaminho, "/out/");
        view.top = 450;
        view.left = 900;
    }

    // The log from the first read on, library calls and saves mixed.
    Log fromFirstRead() const
    {
        auto it = std::find_if(log.begin(), log.end(), [](const std::string& s) {
            return s.rfind("modbus_rd", 0) == 0;
        });
        return Log(it, log.end());
    }

    Log log;
    ScriptedKestrune lib{log};
    LoggingStore store{log};
    FakeView view;
    FormValues values;
    RecordingPrompts prompts;
    SystemClock clock;
    ConnectController connect{
        {{lib, prompts, store, clock, "/opt/logqvr", {}, "/opt/logqvr/"}, view, values}};
};

TEST_F(ConnectSequence, OpensConfiguresIdentifiesAndSavesInThatOrder)
{
    view.setText(Control::txtEnd, " 17 ");
    connect.cmdOK_Click();

    const Log expected = {"open_comm(7)",
                          "set_baud(115200,2)",
                          "set_timeout(10000,200,1,5000,1000)",
                          "modbus_rd(17,17008,3)",
                          "modbus_rd(17,17043,1)",
                          "save Timeout=200",
                          "save Retries=1",
                          "save Baudrate=5",
                          "save COM=7",
                          "save Endereco= 17 ",
                          "save Caminho=/out/",
                          "save Top=450",
                          "save Left=900",
                          "modbus_rd(17,17011,1)",
                          "modbus_rd(17,17161,1)"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(values.Subversao, 4);
    EXPECT_EQ(values.Options, 1);
}

TEST_F(ConnectSequence, LogControlsAreEnabledInOrderAndCmdGerarOnlyWithTheOption)
{
    for (uint32_t options : {2u, 1u}) {
        SCOPED_TRACE(options);
        lib.registers[17011] = options;
        view.enableLog.clear();
        prompts.shown.clear();
        connect.cmdOK_Click();
        std::vector<Control> expected = {Control::optInteira,
                                         Control::optUltimos,
                                         Control::optAte,
                                         Control::txtAte,
                                         Control::lblAte,
                                         Control::lblTexto,
                                         Control::lblUltimos,
                                         Control::lblDeAte,
                                         Control::txtUltimos,
                                         Control::txtDe};
        if (options == 2)
            expected.push_back(Control::cmdGerar);
        expected.push_back(Control::cmdLogReset);
        std::vector<Control> enabled;
        for (const auto& [control, on] : view.enableLog) {
            EXPECT_TRUE(on);
            enabled.push_back(control);
        }
        EXPECT_EQ(enabled, expected);
        EXPECT_EQ(prompts.shown.size(), options == 2 ? 0u : 1u);
        EXPECT_EQ(view.text(Control::cmdOK), "Desconectar");
        connect.cmdOK_Click();
    }
}

TEST_F(ConnectSequence, TimeOutFieldGoesRoundedHalvesToEvenAndUnvalidated)
{
    struct Case {
        const char* text;
        uint32_t sent;
    };
    for (const Case& c : {Case{"2.5", 2},
                          Case{"3.5", 4},
                          Case{"12x", 12},
                          Case{"abc", 0},
                          Case{"", 0},
                          Case{"0", 0},
                          // A negative time-out would reach the port as some 49 days.
                          Case{"-7", 0}}) {
        SCOPED_TRACE(c.text);
        log.clear();
        view.setText(Control::txtTimeout, c.text);
        connect.cmdOK_Click();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[2], callText("set_timeout", {10000, c.sent, 1, 5000, 1000}));
        EXPECT_TRUE(values.PortaAberta);
        connect.cmdOK_Click();
    }
}

TEST_F(ConnectSequence, RefusedBaudRateStillSetsTheTimeOutThenCloses)
{
    lib.baudResult = 0;
    view.setListIndex(Control::cboBaudRate, -1);
    view.setText(Control::cboBaudRate, "  9600 ");
    connect.cmdOK_Click();
    const Log expected = {"open_comm(7)",
                          "set_baud(9600,2)",
                          "set_timeout(10000,200,1,5000,1000)",
                          "close_comm()"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(values.PortaAberta);
}

// The scripted library, like one built before last_error_text, gives no
// reason: the box holds the fixed line alone.
TEST_F(ConnectSequence, FailedOpenClosesAndReadsNothing)
{
    lib.openResult = 1;
    connect.cmdOK_Click();
    EXPECT_EQ(log, (Log{"open_comm(7)", "close_comm()"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Erro ao abrir porta COM.");
}

TEST_F(ConnectSequence, UnreadableOptionRegisterMeansNoOption)
{
    // The release word left in the image has bit 1 set: taking the image as
    // the option word would claim an option the device never reported.
    lib.registers[17043] = 6;
    lib.failing[17011] = true;
    connect.cmdOK_Click();
    EXPECT_TRUE(values.PortaAberta);
    EXPECT_EQ(values.Options, 0);
    EXPECT_FALSE(view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(view.isEnabled(Control::cmdLogReset));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Equipamento sem o Opcional de Log ativo. Não será possível gerar arquivo de Log.");
}

TEST_F(ConnectSequence, FailedIdentificationSkipsReleaseAndSavesNothing)
{
    values.VersaoHUS_inf = 99;
    values.Subversao = 7;
    lib.failing[17008] = true;
    connect.cmdOK_Click();
    EXPECT_EQ(fromFirstRead(),
              (Log{"modbus_rd(1,17008,3)", "modbus_rd(1,17011,1)", "modbus_rd(1,17161,1)"}));
    EXPECT_EQ(values.VersaoHUS_inf, 99);
    EXPECT_EQ(values.Subversao, 7);
    EXPECT_TRUE(values.PortaAberta);
}

TEST_F(ConnectSequence, FailedReleaseReadKeepsTheOldReleaseButStillSaves)
{
    values.Subversao = 7;
    lib.failing[17043] = true;
    connect.cmdOK_Click();
    EXPECT_EQ(values.Subversao, 7);
    EXPECT_EQ(values.VersaoHUS_inf, 124);
    EXPECT_EQ(store.writeOrder().size(), 8u);
}

TEST_F(ConnectSequence, PointerFailureClosesAfterTheMessage)
{
    lib.failing[17161] = true;
    connect.cmdOK_Click();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "close_comm()");
    EXPECT_EQ(log[log.size() - 2], "modbus_rd(1,17161,1)");
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
    EXPECT_FALSE(view.isEnabled(Control::optInteira));
}

// The attempt count is read from txtRetry before every attempt, so an edit
// made while a read is retried takes effect at once.
TEST_F(ConnectSequence, AttemptCountIsReadAfreshBeforeEachAttempt)
{
    lib.failing[17161] = true;
    view.setText(Control::txtRetry, "2");
    int reads = 0;
    lib.onRead = [&](uint32_t) {
        if (++reads == 2)
            view.setText(Control::txtRetry, "4");
    };
    EXPECT_FALSE(retriedRead(lib, view, 1, 17161, 1));
    EXPECT_EQ(reads, 4);

    reads = 0;
    view.setText(Control::txtRetry, "10");
    lib.onRead = [&](uint32_t) {
        if (++reads == 3)
            view.setText(Control::txtRetry, "1");
    };
    EXPECT_FALSE(retriedRead(lib, view, 1, 17161, 1));
    EXPECT_EQ(reads, 3) << "a lowered count stops at once";

    // Zero or negative: no attempt at all, and no success.
    reads = 0;
    lib.onRead = [&](uint32_t) { ++reads; };
    lib.failing.clear();
    view.setText(Control::txtRetry, "-1");
    EXPECT_FALSE(retriedRead(lib, view, 1, 17161, 1));
    EXPECT_EQ(reads, 0);

    // Success ends the retries; the after-attempt hook runs after each one.
    view.setText(Control::txtRetry, "5");
    int pauses = 0;
    int calls = 0;
    EXPECT_TRUE(retried(
        view,
        [&] { return ++calls == 2; },
        [&] { ++pauses; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(pauses, 2);
}

} // namespace
