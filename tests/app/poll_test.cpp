// The link poll: status texts from the identification values, the port
// controls, and the log pointer re-read from the simulated device.
#include "simfixture.h"

#include <QLocale>

#include <clocale>

namespace {

using PollTest = SimFixture;

const Control kPortControls[] = {Control::txtTimeout,
                                 Control::txtRetry,
                                 Control::cboBaudRate,
                                 Control::txtCOM,
                                 Control::txtEnd};

struct PollCase {
    int32_t version;
    int32_t release;
    int32_t serial1;
    int32_t serial2;
    const char* status;
    const char* second;
};

class PollTexts : public SimFixture, public testing::WithParamInterface<PollCase> {};

TEST_P(PollTexts, StatusLinesFollowTheIdentification)
{
    connect.cmdOK_Click();
    ASSERT_TRUE(values.PortaAberta);
    const PollCase& c = GetParam();
    values.VersaoHUS_inf = c.version;
    values.Subversao = c.release;
    values.NumSerie1 = c.serial1;
    values.NumSerie2 = c.serial2;
    poll.Timer1_Timer();
    EXPECT_EQ(view.text(Control::lblStatus), c.status);
    EXPECT_EQ(view.text(Control::lblNS), c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Values,
    PollTexts,
    testing::Values(
        PollCase{124, 4, 12, 345, "Conectado. Firmware v1.24 Release 4", "Número de Série: 012345"},
        PollCase{123, 0, 1, 2, "Conectado. Firmware v1.23 Release 0", "Número de Série: 001002"},
        PollCase{1234,
                 1,
                 1234,
                 7,
                 "Conectado. Firmware v12.34 Release 1",
                 "Número de Série: 1234007"},
        PollCase{122,
                 3,
                 12,
                 345,
                 "Erro!!!       FW v1.22r3       Erro!!!",
                 "Software compatível somente a partir da v1.23."},
        PollCase{0,
                 0,
                 0,
                 0,
                 "Erro!!!       FW v0.00r0       Erro!!!",
                 "Software compatível somente a partir da v1.23."},
        PollCase{5,
                 12,
                 0,
                 0,
                 "Erro!!!       FW v0.05r12       Erro!!!",
                 "Software compatível somente a partir da v1.23."}));

TEST_F(PollTest, ConnectedTickDisablesPortControlsAndRefreshesThePointer)
{
    connect.cmdOK_Click();
    ASSERT_TRUE(values.PortaAberta);
    sim.withState([](sim::DeviceState& s) {
        s.logPointer = 4321;
        return 0;
    });
    sim.clearTransactions();
    view.enableLog.clear();

    poll.Timer1_Timer();

    ASSERT_EQ(view.enableLog.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(view.enableLog[i].first, kPortControls[i]);
        EXPECT_FALSE(view.enableLog[i].second);
    }
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].reg, 17161);
    EXPECT_EQ(sent[0].countOrValue, 1);
    EXPECT_EQ(values.ponteiro(), 4321);
    EXPECT_EQ(view.text(Control::lblAte), "Último Log gravado = 4321");
    EXPECT_EQ(view.text(Control::txtAte), "100") << "the tick leaves txtAte alone";
}

TEST_F(PollTest, FailedPollIsSilentAndKeepsTheLastValues)
{
    connect.cmdOK_Click();
    ASSERT_TRUE(values.PortaAberta);
    setFaults(sim::Faults{.silent = true});
    sim.clearTransactions();
    poll.Timer1_Timer();
    EXPECT_EQ(requests().size(), 2u) << "txtRetry attempts";
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(values.PortaAberta);
    EXPECT_EQ(values.ponteiro(), 100);
    EXPECT_EQ(view.text(Control::lblAte), "Último Log gravado = 100");
    EXPECT_EQ(view.text(Control::lblStatus), "Conectado. Firmware v1.24 Release 4");
}

TEST_F(PollTest, AddressThatIsNoNumberMakesTheTickSkipItsReadSilently)
{
    connect.cmdOK_Click();
    ASSERT_TRUE(values.PortaAberta);
    sim.clearTransactions();
    // A box from the tick would come back every 500 ms.
    view.setText(Control::txtEnd, "x");
    poll.Timer1_Timer();
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(view.text(Control::lblStatus), "Conectado. Firmware v1.24 Release 4");
    EXPECT_FALSE(view.isEnabled(Control::txtEnd));
    EXPECT_TRUE(values.PortaAberta);
}

TEST_F(PollTest, DisconnectedTickEnablesPortControlsThenTheButton)
{
    for (Control c : kPortControls)
        view.setEnabled(c, false);
    view.setEnabled(Control::cmdOK, false);
    view.enableLog.clear();
    poll.Timer1_Timer();
    EXPECT_EQ(view.text(Control::lblStatus), "Desconectado.");
    ASSERT_EQ(view.enableLog.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(view.enableLog[i], std::make_pair(kPortControls[i], true));
    EXPECT_EQ(view.enableLog[5], std::make_pair(Control::cmdOK, true));
    EXPECT_TRUE(requests().empty());
}

TEST_F(PollTest, VersionKeepsItsPointInACommaLocale)
{
    connect.cmdOK_Click();
    ASSERT_TRUE(values.PortaAberta);
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const QLocale savedQt;
    for (const char* name : {"pt_BR.UTF-8", "de_DE.UTF-8", "pt_BR", "de_DE"})
        if (std::setlocale(LC_ALL, name))
            break;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    poll.Timer1_Timer();
    std::setlocale(LC_ALL, savedC.c_str());
    QLocale::setDefault(savedQt);
    EXPECT_EQ(view.text(Control::lblStatus), "Conectado. Firmware v1.24 Release 4");
}

TEST(PollFormat, VersionAndSerialPatterns)
{
    EXPECT_EQ(versionText(124), "1.24");
    EXPECT_EQ(versionText(5), "0.05");
    EXPECT_EQ(versionText(0), "0.00");
    EXPECT_EQ(versionText(100), "1.00");
    EXPECT_EQ(versionText(65535), "655.35");
    EXPECT_EQ(versionText(-5), "-0.05");
    EXPECT_EQ(threeDigits(0), "000");
    EXPECT_EQ(threeDigits(7), "007");
    EXPECT_EQ(threeDigits(345), "345");
    EXPECT_EQ(threeDigits(65535), "65535");
}

} // namespace
