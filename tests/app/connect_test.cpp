// Connect, identify and disconnect against the simulated device through the
// real library.
#include "simfixture.h"

#include <algorithm>

namespace {

using ConnectTest = SimFixture;

const char* const kPortRange = "Porta COM deve ser maior que 0 e menor que 256.";
const char* const kAttempts = "Número de tentativas deve ser maior que 0.";

TEST_F(ConnectTest, IdentifiesTheDeviceWithOneRequestPerGroupInOrder)
{
    connect.cmdOK_Click();

    const auto sent = requests();
    ASSERT_EQ(sent.size(), 4u);
    const uint16_t expectedRegs[] = {17008, 17043, 17011, 17161};
    const uint16_t expectedCounts[] = {3, 1, 1, 1};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(sent[i].slave, 1);
        EXPECT_EQ(sent[i].function, 3);
        EXPECT_EQ(sent[i].reg, expectedRegs[i]) << "request " << i;
        EXPECT_EQ(sent[i].countOrValue, expectedCounts[i]) << "request " << i;
    }
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(values.PortaAberta);
    EXPECT_EQ(values.VersaoHUS_inf, 124);
    EXPECT_EQ(values.NumSerie1, 12);
    EXPECT_EQ(values.NumSerie2, 345);
    EXPECT_EQ(values.Subversao, 4);
    EXPECT_EQ(values.Options, 1);
    EXPECT_EQ(values.ponteiro(), 100);
    EXPECT_EQ(view.text(Control::cmdOK), "Desconectar");
    EXPECT_EQ(view.text(Control::lblAte), "Último Log gravado = 100");
    EXPECT_EQ(view.text(Control::txtAte), "100");
    EXPECT_TRUE(view.isChecked(Control::optAte));
    for (Control c : {Control::optInteira,
                      Control::optUltimos,
                      Control::optAte,
                      Control::txtAte,
                      Control::lblAte,
                      Control::lblTexto,
                      Control::lblUltimos,
                      Control::lblDeAte,
                      Control::txtUltimos,
                      Control::txtDe,
                      Control::cmdGerar,
                      Control::cmdLogReset})
        EXPECT_TRUE(view.isEnabled(c)) << static_cast<int>(c);
}

TEST_F(ConnectTest, PortNumberOutsideOneTo255IsRefusedBeforeAnyCall)
{
    for (const char* text : {"0", "", "256", "abc", "-1"}) {
        prompts.shown.clear();
        view.setText(Control::txtCOM, text);
        EXPECT_EQ(connect.cmdOK_Click(), ConnectEnd::Refused) << text;
        ASSERT_EQ(prompts.shown.size(), 1u) << text;
        EXPECT_EQ(prompts.shown[0].text, kPortRange) << text;
        EXPECT_EQ(prompts.shown[0].title, "Aviso");
        EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);
    }
    EXPECT_TRUE(requests().empty());
    EXPECT_FALSE(values.PortaAberta);

    // 255 passes the check; nothing is linked there, so the open fails.
    prompts.shown.clear();
    view.setText(Control::txtCOM, "255");
    connect.cmdOK_Click();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text.rfind("Erro ao abrir porta COM.\nPorta 255 ", 0), 0u);
}

TEST_F(ConnectTest, AttemptCountMustBeAboveZero)
{
    for (const char* text : {"0", "-2", "", "x3"}) {
        prompts.shown.clear();
        view.setText(Control::txtRetry, text);
        connect.cmdOK_Click();
        ASSERT_EQ(prompts.shown.size(), 1u) << text;
        EXPECT_EQ(prompts.shown[0].text, kAttempts) << text;
        EXPECT_EQ(prompts.shown[0].title, "Aviso");
    }
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
}

TEST_F(ConnectTest, FractionalAttemptCountAllowsOneMoreAttempt)
{
    setFaults(sim::Faults{.silent = true});
    view.setText(Control::txtRetry, "2.5");
    EXPECT_EQ(connect.cmdOK_Click(), ConnectEnd::NoAnswer);

    // Identification, option and pointer reads, three attempts each; the
    // release read is skipped after a failed identification.
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(sent[i].reg, i < 3 ? 17008 : i < 6 ? 17011 : 17161) << i;
    EXPECT_EQ(promptTexts(), std::vector<std::string>{"Erro ao ler os registradores."});
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompts.shown[0].title, "Erro");
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
    EXPECT_FALSE(store.value("Timeout").has_value()) << "nothing identified, nothing stored";
}

TEST_F(ConnectTest, OpenFailureReportsAndStaysDisconnected)
{
    view.setText(Control::txtCOM, std::to_string(kMissingPort));
    EXPECT_EQ(connect.cmdOK_Click(), ConnectEnd::NoPort);
    ASSERT_EQ(prompts.shown.size(), 1u);
    // The fixed line, then the library's reason on a line of its own.
    EXPECT_EQ(prompts.shown[0].text.rfind("Erro ao abrir porta COM.\nPorta 200 não corresponde a "
                                          "nenhum dispositivo.",
                                          0),
              0u)
        << prompts.shown[0].text;
    EXPECT_EQ(prompts.shown[0].title, "Erro");
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_TRUE(requests().empty());
}

TEST_F(ConnectTest, RefusedBaudRateClosesThePortSilently)
{
    view.setText(Control::cboBaudRate, "0");
    EXPECT_EQ(connect.cmdOK_Click(), ConnectEnd::RateRefused);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
    EXPECT_TRUE(requests().empty());

    // The port was released: the next connect can open it again.
    view.setListIndex(Control::cboBaudRate, 1);
    EXPECT_EQ(connect.cmdOK_Click(), ConnectEnd::Connected);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(values.PortaAberta);
}

TEST_F(ConnectTest, TextsThatAreNoNumberEndTheConnectWithAMessageAndFreeThePort)
{
    struct Case {
        Control field;
        const char* text;
    };
    for (const Case& c : {Case{Control::txtEnd, ""},
                          Case{Control::txtEnd, "a1"},
                          Case{Control::cboBaudRate, "96x"},
                          Case{Control::txtCOM, "7x"}}) {
        prompts.shown.clear();
        view.setText(c.field, c.text);
        EXPECT_EQ(connect.cmdOK_Click(), ConnectEnd::Error) << c.text;
        ASSERT_EQ(prompts.shown.size(), 1u) << c.text;
        EXPECT_EQ(prompts.shown[0].text, "13 - Type mismatch") << c.text;
        EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
        EXPECT_FALSE(values.PortaAberta) << c.text;
        EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
        // Restore a good value; the port must be free for the next connect.
        if (c.field == Control::cboBaudRate)
            view.setListIndex(Control::cboBaudRate, 5);
        else
            view.setText(c.field, c.field == Control::txtCOM ? std::to_string(kSimPort) : "1");
    }
    prompts.shown.clear();
    connect.cmdOK_Click();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(values.PortaAberta);
}

TEST_F(ConnectTest, DeviceWithoutTheLogOptionConnectsWithAWarning)
{
    for (uint16_t flags : {0, 1, 2, 3}) {
        SCOPED_TRACE(flags);
        sim.withState([flags](sim::DeviceState& s) {
            s.options = flags;
            return 0;
        });
        prompts.shown.clear();
        connect.cmdOK_Click();
        const bool hasOption = (flags & 2) != 0;
        EXPECT_TRUE(values.PortaAberta);
        EXPECT_EQ(values.Options, hasOption ? 1 : 0);
        EXPECT_EQ(view.isEnabled(Control::cmdGerar), hasOption);
        EXPECT_TRUE(view.isEnabled(Control::cmdLogReset));
        if (hasOption) {
            EXPECT_TRUE(prompts.shown.empty());
        } else {
            ASSERT_EQ(prompts.shown.size(), 1u);
            EXPECT_EQ(prompts.shown[0].text,
                      "Equipamento sem o Opcional de Log ativo. Não será possível gerar "
                      "arquivo de Log.");
            EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Warning);
        }
        connect.cmdOK_Click(); // disconnect for the next round
        EXPECT_FALSE(values.PortaAberta);
    }
}

TEST_F(ConnectTest, EmptyLogConnectsWithPointerZero)
{
    sim.withState([](sim::DeviceState& s) {
        s.logPointer = 0;
        return 0;
    });
    view.setChecked(Control::optInteira, true);
    connect.cmdOK_Click();
    EXPECT_TRUE(values.PortaAberta);
    ASSERT_TRUE(values.PonteiroLOG.has_value());
    EXPECT_EQ(*values.PonteiroLOG, 0);
    EXPECT_EQ(view.text(Control::lblAte), "Último Log gravado = 0");
    EXPECT_EQ(view.text(Control::txtAte), "0");
    EXPECT_TRUE(view.isChecked(Control::optAte));
}

TEST_F(ConnectTest, SettingsAreStoredOnlyAfterTheIdentificationBlock)
{
    // Identification silent, pointer answered: connected, nothing stored.
    setFaults(sim::Faults{.failReadsAtRegister = 17008});
    connect.cmdOK_Click();
    EXPECT_TRUE(values.PortaAberta);
    EXPECT_TRUE(store.writeOrder().empty());
    EXPECT_EQ(values.VersaoHUS_inf, 0);
    const auto sent = requests();
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](auto& t) { return t.reg == 17043; }), 0)
        << "release is read only after an identification";
    connect.cmdOK_Click();

    // Pointer silent: not connected, but the settings are stored, in order.
    setFaults(sim::Faults{.failReadsAtRegister = 17161});
    view.top = 1500;
    view.left = 3000;
    connect.cmdOK_Click();
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(promptTexts(), std::vector<std::string>{"Erro ao ler os registradores."});
    const std::vector<std::string> order =
        {"Timeout", "Retries", "Baudrate", "COM", "Endereco", "Caminho", "Top", "Left"};
    EXPECT_EQ(store.writeOrder(), order);
    EXPECT_EQ(store.value("Timeout"), "50");
    EXPECT_EQ(store.value("Retries"), "2");
    EXPECT_EQ(store.value("Baudrate"), "5");
    EXPECT_EQ(store.value("COM"), std::to_string(kSimPort));
    EXPECT_EQ(store.value("Endereco"), "1");
    EXPECT_EQ(store.value("Caminho"), "/tmp/out/");
    EXPECT_EQ(store.value("Top"), "1500");
    EXPECT_EQ(store.value("Left"), "3000");
    EXPECT_EQ(values.VersaoHUS_inf, 124) << "identification values stay read";
}

TEST_F(ConnectTest, TypedBaudRateIsStoredAsMinusOne)
{
    view.setListIndex(Control::cboBaudRate, -1);
    view.setText(Control::cboBaudRate, "9600");
    ASSERT_EQ(view.listIndex(Control::cboBaudRate), -1);
    connect.cmdOK_Click();
    EXPECT_TRUE(values.PortaAberta);
    EXPECT_EQ(store.value("Baudrate"), "-1");
}

TEST_F(ConnectTest, DisconnectClosesAndDisablesTheLogControlsInOrder)
{
    connect.cmdOK_Click();
    ASSERT_TRUE(values.PortaAberta);
    const std::string serialLine = "Número de Série: 012345";
    poll.Timer1_Timer();
    ASSERT_EQ(view.text(Control::lblNS), serialLine);
    view.enableLog.clear();

    connect.cmdOK_Click();
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
    const std::vector<Control> order = {Control::optInteira,
                                        Control::optUltimos,
                                        Control::optAte,
                                        Control::txtAte,
                                        Control::lblAte,
                                        Control::cmdGerar,
                                        Control::cmdLogReset,
                                        Control::lblTexto,
                                        Control::lblUltimos,
                                        Control::lblDeAte,
                                        Control::txtUltimos,
                                        Control::txtDe};
    ASSERT_EQ(view.enableLog.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(view.enableLog[i].first, order[i]) << i;
        EXPECT_FALSE(view.enableLog[i].second) << i;
    }
    EXPECT_EQ(values.VersaoHUS_inf, 124) << "identification values survive a disconnect";

    // The next tick shows the new state but leaves the serial line alone.
    poll.Timer1_Timer();
    EXPECT_EQ(view.text(Control::lblStatus), "Desconectado.");
    EXPECT_EQ(view.text(Control::lblNS), serialLine);

    // Closed for real: the port opens again.
    connect.cmdOK_Click();
    EXPECT_TRUE(values.PortaAberta);
}

TEST_F(ConnectTest, ClickWhileMarkedOpenButCaptionConectarDoesNothing)
{
    values.PortaAberta = true;
    connect.cmdOK_Click();
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
}

TEST_F(ConnectTest, CaptionDesconectarWithFlagClearedStillDisconnects)
{
    connect.cmdOK_Click();
    values.PortaAberta = false; // as a failed download leaves it
    connect.cmdOK_Click();
    EXPECT_EQ(view.text(Control::cmdOK), "Conectar");
    EXPECT_FALSE(view.isEnabled(Control::cmdGerar));
    EXPECT_TRUE(prompts.shown.empty());
}

} // namespace
