// The whole window against the simulated device through the real library:
// connect by click, the poll tick, both downloads wired to their buttons,
// and disconnect.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/folderpicker.h"
#include "core/settingsstore.h"
#include "fakesysfs.h"
#include "recordingprompts.h"
#include "simulator.h"
#include "ui/frmmain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

namespace {

constexpr int kPort = 6;

class NoFolders : public FolderPicker {
public:
    std::optional<std::string> chooseFolder(const std::string&) override { return std::nullopt; }
};

bool shown(const RecordingPrompts& prompts, const std::string& text)
{
    for (const auto& p : prompts.shown)
        if (p.text == text)
            return true;
    return false;
}

} // namespace

class WindowSimTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    sim::Simulator m_sim;
    DynamicKestrune m_lib;
    RecordingPrompts m_prompts;
    MemorySettingsStore m_store;
    MemorySettingsStore m_history;
    NoFolders m_folders;
    SystemClock m_clock;
    std::unique_ptr<FrmMain> m_window;

    QString outDir() const { return m_dir.filePath("out"); }

    void click(const char* name)
    {
        auto* button = m_window->findChild<QPushButton*>(name);
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QMenu* portsMenu() const { return m_window->findChild<QMenu*>("menu_portas"); }
    QAction* menuAction(int index) const { return portsMenu()->actions().value(index); }

    // What opening "Portas" fills it with; the entries' texts. Without a
    // popup, which would take the keyboard from the window's own shortcuts.
    QStringList openPortsMenu()
    {
        QMenu* menu = portsMenu();
        emit menu->aboutToShow();
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        return texts;
    }

    QStringList outputs(const QString& prefix) const
    {
        return QDir(outDir()).entryList({prefix + "*.mdb"}, QDir::Files);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        std::string error;
        if (!m_sim.start(&error))
            QSKIP(qPrintable("no pseudo-terminal on this host: " + QString::fromStdString(error)));
        const QString ports = m_dir.filePath("ports");
        ::setenv("KESTRUNE_PORTS", ports.toLocal8Bit().constData(), 1);
        QVERIFY(m_sim.linkAsPort(ports.toStdString(), kPort, &error));
        m_sim.withState([](sim::DeviceState& s) {
            s.fillDataLog(100);
            s.fillResetLog(10);
            return 0;
        });

        // The downloads fill the templates in place: work on copies.
        const QString prog = m_dir.filePath("prog");
        QVERIFY(QDir().mkpath(prog));
        QVERIFY(QDir().mkpath(outDir()));
        for (const char* name : {"LOG_QVR.mdb", "LOG_RESET_QVR.mdb"})
            QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                                prog + "/" + name));

        m_store.setValue("COM", std::to_string(kPort));
        m_store.setValue("Timeout", "50");
        m_store.setValue("Retries", "2");
        m_store.setValue("Caminho", outDir().toStdString() + "/");
        m_window = std::make_unique<FrmMain>(ControllerServices{m_lib,
                                                                m_prompts,
                                                                m_store,
                                                                m_clock,
                                                                prog.toStdString(),
                                                                [](int) {},
                                                                prog.toStdString() + "/",
                                                                {},
                                                                &m_history},
                                             m_folders);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // The menu read afresh each time it opens: the simulator's link and a
    // USB adapter of a sysfs tree of our own.
    void portsMenuListsThePortsAndFillsThePortField()
    {
        FakeSysfs sysfs(m_dir.filePath("sys").toStdString());
        sysfs.usbSerial("ttyUSB0", "1-2", "FTDI", "FT232R USB UART");
        ::setenv("LOGQVR_SYSFS_ROOT", sysfs.root().c_str(), 1);
        const QStringList texts = openPortsMenu();
        ::unsetenv("LOGQVR_SYSFS_ROOT");
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].startsWith(QStringLiteral("Porta 6 — /dev/pts/")) &&
                     texts[0].endsWith(QStringLiteral(" (com6)")),
                 qPrintable(texts[0]));
        QCOMPARE(texts[1], QStringLiteral("Porta 33 — /dev/ttyUSB0 — FTDI FT232R USB UART"));

        QAction* usb = menuAction(1);
        QVERIFY(usb->isEnabled());
        usb->trigger();
        QCOMPARE(m_window->text(Control::txtCOM), std::string("33"));
        menuAction(0)->trigger();
        QCOMPARE(m_window->text(Control::txtCOM), std::to_string(kPort));
    }

    void connectByClickAndPoll()
    {
        click("cmdOK");
        QVERIFY(m_prompts.shown.empty());
        QCOMPARE(m_window->text(Control::cmdOK), std::string("Desconectar"));
        QVERIFY(m_window->values().PortaAberta);
        auto* status = m_window->findChild<QLabel*>("lblStatus");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(),
                                  QStringLiteral("Conectado. Firmware v1.24 Release 4"),
                                  3000);
        QCOMPARE(m_window->findChild<QLabel*>("lblNS")->text(),
                 QString::fromUtf8("Número de Série: 012345"));
        QVERIFY(!m_window->isEnabled(Control::txtCOM));
        QCOMPARE(m_store.value("COM"), std::optional<std::string>(std::to_string(kPort)));
        // The port field is locked while connected; so is choosing a port.
        openPortsMenu();
        QVERIFY(!menuAction(0)->isEnabled());
    }

    void dataLogDownloadRunsFromItsButton()
    {
        m_window->setText(Control::txtUltimos, "5");
        QVERIFY(m_window->isChecked(Control::optUltimos));
        m_sim.clearTransactions();
        click("cmdGerar");
        QVERIFY2(shown(m_prompts, "Dados gravados com sucesso"),
                 m_prompts.shown.empty() ? "no box" : m_prompts.shown.back().text.c_str());
        const QStringList files = outputs("LOG_QVR_END1_");
        QCOMPARE(files.size(), 1);
        QVERIFY(m_window->timer1().isActive());
        QVERIFY(m_window->isEnabled(Control::cmdGerar));
        const std::vector<int> served = m_sim.servedRecords();
        QCOMPARE(served, (std::vector<int>{96, 97, 98, 99, 100}));
        QCOMPARE(m_window->findChild<QProgressBar*>("prgProgresso")->value(), 100);
        QCOMPARE(m_window->text(Control::lblPercentual), std::string("100%"));
        QVERIFY(!m_window->isEnabled(Control::cmdCancelar));
    }

    // Looked at from inside the download's own yields: the row runs and
    // "Cancelar" is on while the walk goes; Esc stops it.
    void escCancelsARunningDownload()
    {
        auto* cancelar = m_window->findChild<QPushButton*>("cmdCancelar");
        auto* bar = m_window->findChild<QProgressBar*>("prgProgresso");
        QVERIFY(cancelar && bar);
        QVERIFY(!cancelar->isEnabled());
        m_prompts.shown.clear();
        m_window->setChecked(Control::optInteira, true);
        bool runningSeen = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (runningSeen || bar->value() < 1)
                return;
            runningSeen =
                cancelar->isEnabled() && !m_window->isEnabled(Control::cmdGerar) &&
                m_window->text(Control::lblPercentual) == std::to_string(bar->value()) + "%";
            QTest::keyClick(m_window.get(), Qt::Key_Escape);
        });
        watch.start(10);
        click("cmdGerar");
        watch.stop();

        QVERIFY(runningSeen);
        QVERIFY(bar->value() < 100);
        QVERIFY(!cancelar->isEnabled());
        QVERIFY(m_window->text(Control::lblTexto).ends_with(" CANCELADO"));
        QCOMPARE(m_prompts.questions.size(), std::size_t(1));
        QVERIFY(m_prompts.questions[0].text.starts_with("Salvar os "));
        QVERIFY(m_prompts.shown.empty());
        QVERIFY(m_window->values().PortaAberta);
        QVERIFY(m_window->isEnabled(Control::cmdGerar));
        QVERIFY(m_window->timer1().isActive());
        QCOMPARE(outputs("LOG_QVR_END1_").size(), 1); // "Não": only the earlier file
    }

    void resetLogDownloadRunsFromItsButton()
    {
        m_prompts.shown.clear();
        click("cmdLogReset");
        QVERIFY2(shown(m_prompts, "Dados gravados com sucesso"),
                 m_prompts.shown.empty() ? "no box" : m_prompts.shown.back().text.c_str());
        QCOMPARE(outputs("LOG_RESET_QVR_END1_").size(), 1);
        QVERIFY(m_window->isEnabled(Control::cmdLogReset));
    }

    // The last five records read above were the device's first visit: after
    // 24 more, the connect offers them and one click reads just those.
    void repeatVisitOffersOnlyTheNewRecords()
    {
        click("cmdOK");
        m_sim.withState([](sim::DeviceState& s) { s.writeRecords(24); });
        click("cmdOK");
        QVERIFY(m_window->values().PortaAberta);
        const std::string text = m_window->text(Control::lblTexto);
        QVERIFY2(text.starts_with("24 registro(s) novo(s) desde "), text.c_str());
        QCOMPARE(m_window->text(Control::txtDe), std::string("101"));
        QCOMPARE(m_window->text(Control::txtAte), std::string("124"));
        QVERIFY(m_window->isChecked(Control::optAte));
        m_sim.clearServedRecords();
        m_prompts.shown.clear();
        click("cmdGerar");
        QVERIFY(shown(m_prompts, "Dados gravados com sucesso"));
        std::vector<int> newRecords;
        for (int n = 101; n <= 124; ++n)
            newRecords.push_back(n);
        QCOMPARE(m_sim.servedRecords(), newRecords);
        QVERIFY(m_history.value("12_345").value_or("").starts_with("124 "));
    }

    void disconnectByClick()
    {
        click("cmdOK");
        QCOMPARE(m_window->text(Control::cmdOK), std::string("Conectar"));
        QVERIFY(!m_window->values().PortaAberta);
        QVERIFY(!m_window->isEnabled(Control::cmdGerar));
        QTRY_COMPARE_WITH_TIMEOUT(m_window->findChild<QLabel*>("lblStatus")->text(),
                                  QStringLiteral("Desconectado."),
                                  3000);
        QVERIFY(m_window->isEnabled(Control::txtCOM));
    }

    // The close box during a walk: the walk stops after its record, the rows
    // read are offered, and only then does the window unload and the link
    // close; no failure of a walk whose port was closed under it.
    void closingDuringADownloadCancelsItFirst()
    {
        click("cmdOK");
        QVERIFY(m_window->values().PortaAberta);
        m_prompts.shown.clear();
        m_prompts.questions.clear();
        m_window->setChecked(Control::optInteira, true);
        auto* bar = m_window->findChild<QProgressBar*>("prgProgresso");
        auto* cancelar = m_window->findChild<QPushButton*>("cmdCancelar");
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (cancelar->isEnabled() && bar->value() >= 1 && m_window->isVisible())
                m_window->close();
        });
        closer.start(10);
        click("cmdGerar");
        closer.stop();

        QVERIFY2(m_prompts.shown.empty(),
                 m_prompts.shown.empty() ? "" : m_prompts.shown[0].text.c_str());
        QCOMPARE(m_prompts.questions.size(), std::size_t(1));
        QVERIFY(m_window->text(Control::lblTexto).ends_with(" CANCELADO"));
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->values().PortaAberta);
    }

    void cleanupTestCase()
    {
        if (m_window)
            m_window->close();
        m_window.reset();
    }
};

QTEST_MAIN(WindowSimTest)
#include "windowsim_test.moc"
