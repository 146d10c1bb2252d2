// The main window offscreen, with recorded message boxes and a scripted
// folder browser: controls, captions, tab order, input rules and the title.
#include "connection/dynamickestrune.h"
#include "core/folderpicker.h"
#include "core/settingsstore.h"
#include "fixedclock.h"
#include "recordingprompts.h"
#include "scriptedfolders.h"
#include "ui/frmabout.h"
#include "ui/frmmain.h"
#include "ui/qtprompts.h"
#include "ui/textbox.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <optional>

class FrmMainTest : public QObject {
    Q_OBJECT

private:
    // No library at all: the window must work without one until it connects.
    DynamicKestrune m_lib{"libkestrune-absent.so"};
    RecordingPrompts m_prompts;
    MemorySettingsStore m_store;
    ScriptedFolders m_folders;
    FixedClock m_clock;
    std::unique_ptr<FrmMain> m_window;

    template <class W> W* find(const char* name)
    {
        auto* w = m_window->findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control %s", name);
        return w;
    }

    void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }

private slots:
    void init()
    {
        m_prompts.shown.clear();
        m_window = std::make_unique<FrmMain>(ControllerServices{m_lib,
                                                                m_prompts,
                                                                m_store,
                                                                m_clock,
                                                                "/opt/logqvr",
                                                                [](int) {},
                                                                "/opt/logqvr/"},
                                             m_folders);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void controlsHaveTheirNamesCaptionsAndStates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("limit");
        QTest::newRow("cmdOK") << "cmdOK"
                               << "Conectar" << true << 0;
        QTest::newRow("optInteira")
            << "optInteira" << QStringLiteral("Ler Memória Inteira") << false << 0;
        QTest::newRow("optUltimos") << "optUltimos"
                                    << "Ler" << false << 0;
        QTest::newRow("optAte") << "optAte"
                                << "Ler" << false << 0;
        QTest::newRow("txtUltimos") << "txtUltimos"
                                    << "1" << false << 5;
        QTest::newRow("txtDe") << "txtDe"
                               << "1" << false << 5;
        QTest::newRow("txtAte") << "txtAte"
                                << "1" << false << 5;
        QTest::newRow("cmdGerar") << "cmdGerar"
                                  << "Gerar Arquivo de LOG" << false << 0;
        QTest::newRow("cmdLogReset") << "cmdLogReset"
                                     << "LOG de Reset" << false << 0;
        QTest::newRow("cmdProcurar") << "cmdProcurar"
                                     << "Procurar..." << true << 0;
        QTest::newRow("lblAte") << "lblAte" << QStringLiteral("Último Log gravado = ") << false
                                << 0;
        QTest::newRow("lblUltimos")
            << "lblUltimos" << QStringLiteral("último(s) log(s).") << false << 0;
        QTest::newRow("lblDeAte") << "lblDeAte" << QStringLiteral("até") << false << 0;
        QTest::newRow("lblTexto") << "lblTexto"
                                  << "" << true << 0;
        QTest::newRow("lblStatus") << "lblStatus"
                                   << "" << true << 0;
        QTest::newRow("lblNS") << "lblNS"
                               << "" << true << 0;
        QTest::newRow("Label8") << "Label8"
                                << "Timeout(ms):" << true << 0;
        QTest::newRow("Label7") << "Label7"
                                << "Tentativas:" << true << 0;
        QTest::newRow("Label3") << "Label3"
                                << "Baud Rate:" << true << 0;
        QTest::newRow("Label1") << "Label1"
                                << "Porta COM:" << true << 0;
        QTest::newRow("Label2") << "Label2" << QStringLiteral("Endereço:") << true << 0;
        QTest::newRow("Label27") << "Label27"
                                 << "Salvar em:" << true << 0;
        // Loaded from the (empty) store: first-run values.
        QTest::newRow("txtTimeout") << "txtTimeout"
                                    << "200" << true << 5;
        QTest::newRow("txtRetry") << "txtRetry"
                                  << "10" << true << 3;
        QTest::newRow("txtCOM") << "txtCOM"
                                << "1" << true << 3;
        QTest::newRow("txtEnd") << "txtEnd"
                                << "1" << true << 3;
        QTest::newRow("txtCaminho") << "txtCaminho"
                                    << "/opt/logqvr/" << true << 0;
        // The progress row, idle.
        QTest::newRow("lblPercentual") << "lblPercentual"
                                       << "" << true << 0;
        QTest::newRow("lblRestante") << "lblRestante"
                                     << "" << true << 0;
        QTest::newRow("cmdCancelar") << "cmdCancelar"
                                     << "Cancelar" << false << 0;
    }

    void controlsHaveTheirNamesCaptionsAndStates()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        QFETCH(int, limit);
        QWidget* w = m_window->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            text = e->text();
        QCOMPARE(text, caption);
        QCOMPARE(w->isEnabled(), enabled);
        if (auto* box = qobject_cast<TextBox*>(w))
            QCOMPARE(box->typingLimit(), limit);
    }

    void windowTitleSizeAndMenu()
    {
        QCOMPARE(m_window->windowTitle(),
                 QStringLiteral("Log - QVR/KPW - Quorvane - V1.0.0 - Fw v1.24 r4"));
        // 440 x 523 and the progress row.
        QCOMPARE(m_window->centralWidget()->size(), QSize(440, 555));
        auto* bar = find<QProgressBar>("prgProgresso");
        QVERIFY(bar);
        QCOMPARE(bar->value(), 0);
        m_window->setValue(Control::prgProgresso, 37);
        QCOMPARE(bar->value(), 37);
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        auto* sobre = m_window->findChild<QAction*>("menu_sobre");
        QVERIFY(sobre);
        QCOMPARE(sobre->text(), QStringLiteral("Sobre"));
        // "Relatório" stands just before "Sobre"; with no report menu given
        // its entries cannot act and show disabled.
        const QList<QAction*> menus = m_window->menuBar()->actions();
        QVERIFY(menus.size() >= 2);
        QCOMPARE(menus[menus.size() - 2]->text(), QStringLiteral("Relatório"));
        QCOMPARE(menus.last(), sobre);
        QMenu* relatorio = menus[menus.size() - 2]->menu();
        emit relatorio->aboutToShow();
        QCOMPARE(relatorio->actions().size(), 2);
        QCOMPARE(relatorio->actions()[0]->text(), QStringLiteral("Abrir relatório do último LOG"));
        QCOMPARE(relatorio->actions()[1]->text(),
                 QStringLiteral("Abrir relatório de um arquivo..."));
        QVERIFY(!relatorio->actions()[0]->isEnabled());
        QCOMPARE(m_window->timer1().interval(), 500);
        QVERIFY(m_window->timer1().isActive());
        auto* combo = find<QComboBox>("cboBaudRate");
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 6);
        QCOMPARE(combo->itemText(0), QStringLiteral("     4800"));
        QCOMPARE(combo->itemText(5), QStringLiteral("     115200"));
        QCOMPARE(combo->currentText(), QStringLiteral("     115200"));
        QVERIFY(find<QLabel>("lblStatus")->font().bold());
        QCOMPARE(find<QLabel>("lblStatus")->palette().color(QPalette::WindowText).red() > 128,
                 true);
    }

    // The longest texts the handlers write must show whole in their controls,
    // with the fonts this system has; a clipped status or error line hides
    // exactly what the technician needs to read.
    void longestTextsFitTheirControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("status, old firmware")
            << "lblStatus" << QStringLiteral("Erro!!!       FW v655.35r65535       Erro!!!");
        QTest::newRow("status, connected")
            << "lblStatus" << QStringLiteral("Conectado. Firmware v655.35 Release 65535");
        QTest::newRow("serial") << "lblNS" << QStringLiteral("Número de Série: 6553565535");
        QTest::newRow("compatibility")
            << "lblNS" << QStringLiteral("Software compatível somente a partir da v1.23.");
        QTest::newRow("pointer") << "lblAte" << QStringLiteral("Último Log gravado = 65535");
        QTest::newRow("progress, data log")
            << "lblTexto" << QStringLiteral("Lendo registro 10379... ERRO");
        QTest::newRow("progress, reset log")
            << "lblTexto" << QStringLiteral("Lendo registro 78 de 78... FIM");
        QTest::newRow("data-log read failure")
            << "lblTexto"
            << QStringLiteral("Erro ao ler o LOG. (Download parou no registro 10378) ERRO");
        QTest::newRow("option N") << "optUltimos" << QStringLiteral("Ler");
        QTest::newRow("whole memory") << "optInteira" << QStringLiteral("Ler Memória Inteira");
        QTest::newRow("last N") << "lblUltimos" << QStringLiteral("último(s) log(s).");
        QTest::newRow("range") << "lblDeAte" << QStringLiteral("até");
        QTest::newRow("Timeout") << "Label8" << QStringLiteral("Timeout(ms):");
        QTest::newRow("address") << "Label2" << QStringLiteral("Endereço:");
        QTest::newRow("save in") << "Label27" << QStringLiteral("Salvar em:");
        QTest::newRow("connect") << "cmdOK" << QStringLiteral("Desconectar");
        QTest::newRow("data log") << "cmdGerar" << QStringLiteral("Gerar Arquivo de LOG");
        QTest::newRow("browse") << "cmdProcurar" << QStringLiteral("Procurar...");
        QTest::newRow("baud") << "cboBaudRate" << QStringLiteral("     115200");
        QTest::newRow("timeout field") << "txtTimeout" << QStringLiteral("99999");
        QTest::newRow("range field") << "txtAte" << QStringLiteral("10380");
        QTest::newRow("percent") << "lblPercentual" << QStringLiteral("100%");
        QTest::newRow("minutes left") << "lblRestante" << QStringLiteral("Restam 59 min 59 s");
        QTest::newRow("hours left") << "lblRestante" << QStringLiteral("Restam 99 h 59 min");
        QTest::newRow("cancelling") << "lblRestante" << QStringLiteral("Cancelando...");
        QTest::newRow("cancel") << "cmdCancelar" << QStringLiteral("Cancelar");
        QTest::newRow("reset log cancelled")
            << "lblTexto" << QStringLiteral("Lendo registro 78 de 78... CANCELADO");
    }

    void longestTextsFitTheirControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget* w = m_window->findChild<QWidget*>(name);
        QVERIFY2(w, qPrintable(name));
        QSize needed;
        QSize room = w->size();
        if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(text);
            room = l->contentsRect().size();
            needed = l->wordWrap() ? QSize(room.width(), l->heightForWidth(room.width()))
                                   : QSize(l->fontMetrics().horizontalAdvance(text),
                                           l->fontMetrics().height());
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->setText(text);
            needed = b->sizeHint();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(text);
            // The frame and the inner margins of the edit take their share.
            needed =
                QSize(e->fontMetrics().horizontalAdvance(text) + 10, e->minimumSizeHint().height());
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setEditText(text);
            needed =
                QSize(c->fontMetrics().horizontalAdvance(text) + 30, c->minimumSizeHint().height());
        }
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(QString("%1 needs %2x%3, has %4x%5")
                                .arg(name)
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
    }

    void controlsDoNotOverlap()
    {
        QList<QWidget*> shown;
        for (QWidget* w :
             m_window->centralWidget()->findChildren<QWidget*>(QString(),
                                                               Qt::FindDirectChildrenOnly))
            shown.append(w);
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j)
                QVERIFY2(
                    !shown[i]->geometry().intersects(shown[j]->geometry()),
                    qPrintable(shown[i]->objectName() + " overlaps " + shown[j]->objectName()));
        for (QWidget* w : shown)
            QVERIFY2(m_window->centralWidget()->rect().contains(w->geometry()),
                     qPrintable(w->objectName() + " leaves the client area"));
    }

    void tabOrderFollowsTheFormOrder()
    {
        const char* order[] = {"txtTimeout",
                               "txtRetry",
                               "cboBaudRate",
                               "txtCOM",
                               "txtEnd",
                               "cmdOK",
                               "optInteira",
                               "optUltimos",
                               "txtUltimos",
                               "optAte",
                               "txtDe",
                               "txtAte",
                               "cmdGerar",
                               "cmdLogReset",
                               "cmdProcurar",
                               "txtCaminho"};
        for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
            QWidget* from = m_window->findChild<QWidget*>(order[i]);
            QWidget* next = from->nextInFocusChain();
            // Labels sit in the chain without taking focus; composite widgets
            // (the editable list) put their inner edit there too.
            while (next && (next->parentWidget() == from || !(next->focusPolicy() & Qt::TabFocus)))
                next = next->nextInFocusChain();
            QCOMPARE(next ? next->objectName() : QString(), QString::fromLatin1(order[i + 1]));
        }
    }

    void txtCOMTakesOnlyDigitsAndBackspace()
    {
        auto* com = find<TextBox>("txtCOM");
        focus(com);
        com->clear();
        QTest::keyClicks(com, "1a2-3");
        QCOMPARE(com->text(), QStringLiteral("123"));
        QTest::keyClicks(com, "4");
        QCOMPARE(com->text(), QStringLiteral("123"));
        QTest::keyClick(com, Qt::Key_Backspace);
        QCOMPARE(com->text(), QStringLiteral("12"));
        // Keys that give no character still work.
        QTest::keyClick(com, Qt::Key_Home);
        QTest::keyClick(com, Qt::Key_Delete);
        QCOMPARE(com->text(), QStringLiteral("2"));
        // Clipboard keys are control characters: discarded.
        QGuiApplication::clipboard()->setText("xyz");
        QTest::keyClick(com, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(com->text(), QStringLiteral("2"));
        com->selectAll();
        QTest::keyClick(com, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(com->text(), QStringLiteral("2"));
    }

    void txtEndTakesAnyCharacterUpToThree()
    {
        auto* end = find<TextBox>("txtEnd");
        focus(end);
        end->clear();
        QTest::keyClicks(end, "a1bc");
        QCOMPARE(end->text(), QStringLiteral("a1b"));
    }

    void numberFieldsStopAtFiveCharacters()
    {
        for (const char* name : {"txtTimeout", "txtUltimos", "txtDe", "txtAte"}) {
            auto* box = find<TextBox>(name);
            box->setEnabled(true);
            focus(box);
            box->clear();
            QTest::keyClicks(box, "1234567");
            QCOMPARE(box->text(), QStringLiteral("12345"));
        }
        // Text written by the program is kept whole.
        m_window->setText(Control::txtTimeout, "1234567");
        QCOMPARE(find<TextBox>("txtTimeout")->text(), QStringLiteral("1234567"));
    }

    void enterInTxtCOMConnectsAndLeavesTheText()
    {
        auto* com = find<TextBox>("txtCOM");
        focus(com);
        com->setText("0");
        QTest::keyClick(com, Qt::Key_Return);
        QCOMPARE(com->text(), QStringLiteral("0"));
        QCOMPARE(m_prompts.shown.size(), std::size_t(1));
        QCOMPARE(m_prompts.shown[0].text,
                 std::string("Porta COM deve ser maior que 0 e menor que 256."));

        // In txtEnd too; there the library is missing, which is reported, not fatal.
        m_prompts.shown.clear();
        com->setText("3");
        auto* end = find<TextBox>("txtEnd");
        focus(end);
        QTest::keyClick(end, Qt::Key_Enter);
        QCOMPARE(m_prompts.shown.size(), std::size_t(1));
        QVERIFY(m_prompts.shown[0].text.find("libkestrune-absent.so") != std::string::npos);
        QCOMPARE(m_window->text(Control::cmdOK), std::string("Conectar"));
        QVERIFY(!m_window->values().PortaAberta);
    }

    void tabIntoPortAndAddressSelectsAll()
    {
        // Until it gets the focus, the port field shows no selection: a
        // highlighted number in a field nobody entered looks like a pending edit.
        QVERIFY(!find<TextBox>("txtCOM")->hasSelectedText());

        auto* baud = find<QComboBox>("cboBaudRate");
        auto* com = find<TextBox>("txtCOM");
        auto* end = find<TextBox>("txtEnd");
        com->setText("12");
        end->setText("7");
        focus(baud);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY(com->hasFocus());
        QCOMPARE(com->selectionStart(), 0);
        QCOMPARE(com->selectedText(), QStringLiteral("12"));
        QCOMPARE(com->cursorPosition(), 0);
        QTest::keyClick(com, Qt::Key_Tab);
        QTRY_VERIFY(end->hasFocus());
        QCOMPARE(end->selectedText(), QStringLiteral("7"));
        QTest::keyClicks(end, "9");
        QCOMPARE(end->text(), QStringLiteral("9"));
    }

    void optionFollowsTheEditedNumber()
    {
        auto* inteira = find<QRadioButton>("optInteira");
        auto* ultimos = find<QRadioButton>("optUltimos");
        auto* ate = find<QRadioButton>("optAte");
        auto* de = find<TextBox>("txtDe");
        m_window->setChecked(Control::optInteira, true);
        QVERIFY(inteira->isChecked());
        de->setEnabled(true);
        focus(de);
        QTest::keyClicks(de, "5");
        QVERIFY(ate->isChecked());
        QVERIFY(!inteira->isChecked());
        m_window->setText(Control::txtUltimos, "30");
        QVERIFY(ultimos->isChecked());
        m_window->setText(Control::txtAte, "77");
        QVERIFY(ate->isChecked());
        // The window can also clear the group entirely.
        m_window->setChecked(Control::optAte, false);
        QVERIFY(!inteira->isChecked() && !ultimos->isChecked() && !ate->isChecked());
    }

    void typedBaudRateSelectsNoEntry()
    {
        auto* combo = find<QComboBox>("cboBaudRate");
        QCOMPARE(m_window->listIndex(Control::cboBaudRate), 5);
        focus(combo);
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "9600");
        QCOMPARE(m_window->text(Control::cboBaudRate), std::string("9600"));
        QCOMPARE(m_window->listIndex(Control::cboBaudRate), -1);
        m_window->setListIndex(Control::cboBaudRate, -1);
        QCOMPARE(m_window->text(Control::cboBaudRate), std::string());
        m_window->setListIndex(Control::cboBaudRate, 1);
        QCOMPARE(m_window->text(Control::cboBaudRate), std::string("     9600"));
    }

    void timerTickShowsDisconnected()
    {
        QTRY_COMPARE_WITH_TIMEOUT(find<QLabel>("lblStatus")->text(),
                                  QStringLiteral("Desconectado."),
                                  2000);
        m_window->setEnabled(Control::Timer1, false);
        QVERIFY(!m_window->timer1().isActive());
        QVERIFY(!m_window->isEnabled(Control::Timer1));
    }

    void procurarPutsTheFolderWithATrailingSlash()
    {
        auto* path = find<TextBox>("txtCaminho");
        auto* procurar = find<QPushButton>("cmdProcurar");
        m_folders.answer = "/srv/dados";
        QTest::mouseClick(procurar, Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/srv/dados/"));
        QCOMPARE(m_folders.titles.back(), std::string("Caminho:"));
        m_folders.answer.emplace("/"); // assigning the literal trips GCC 12's -O3 -Wrestrict
        QTest::mouseClick(procurar, Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/"));
        m_folders.answer = std::nullopt; // cancelled
        QTest::mouseClick(procurar, Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/"));
        m_folders.answer = ""; // a browser that could give no path
        QTest::mouseClick(procurar, Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/"));
        m_folders.answer = "/srv/x/";
        QTest::mouseClick(procurar, Qt::LeftButton);
        QCOMPARE(path->text(), QStringLiteral("/srv/x/"));
        // Enter on the focused button presses it, once.
        focus(procurar);
        const std::size_t asked = m_folders.titles.size();
        QTest::keyClick(procurar, Qt::Key_Return);
        QCOMPARE(m_folders.titles.size(), asked + 1);
    }

    void clickIntoCaminhoSelectsAll()
    {
        auto* path = find<TextBox>("txtCaminho");
        path->setText("/srv/dados/");
        QTest::mouseClick(path, Qt::LeftButton, {}, QPoint(20, path->height() / 2));
        QCOMPARE(path->selectedText(), QStringLiteral("/srv/dados/"));
        QCOMPARE(path->selectionStart(), 0);
    }

    void aboutBoxShowsVersionAndClosesWithEsc()
    {
        m_store.setValue("TopAbout", "1500");
        FrmAbout about(m_store, m_window.get());
        QCOMPARE(about.windowTitle(), QStringLiteral("Sobre LOG QVR"));
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Versão 1.0.0"));
        QCOMPARE(about.findChild<QLabel*>("Label1")->text(), QStringLiteral("Quorvane"));
        QVERIFY(about.findChild<QLabel*>("lblTitle")->font().bold());
        auto* ok = about.findChild<QPushButton*>("cmdOK");
        QVERIFY(ok->isDefault());
        QCOMPARE(about.pos().y(), 100);
        QCOMPARE(about.pos().x(), 0);
        QTimer::singleShot(0, &about, [&about] { QTest::keyClick(&about, Qt::Key_Escape); });
        about.exec();
        QVERIFY(!about.isVisible());
        m_store.setValue("TopAbout", "x");
        QCOMPARE(twipsSetting(m_store, "TopAbout"), 0);
    }

    void aboutBoxTextsPositionAndEnter()
    {
        m_store.setValue("TopAbout", "750");
        m_store.setValue("LeftAbout", "3000");
        FrmAbout about(m_store, m_window.get());
        QCOMPARE(about.findChild<QLabel*>("lblTitle")->text(),
                 QStringLiteral("Software de Log do QVR/KPW"));
        QCOMPARE(about.findChild<QLabel*>("lblDescription")->text(),
                 QStringLiteral("Aplicação para leitura de Log do QVR/KPW. Compatível com "
                                "firmwares a partir da versão 1.24 r1."));
        QCOMPARE(about.pos(), QPoint(200, 50));
        QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
        // The description must show whole in its box.
        auto* description = about.findChild<QLabel*>("lblDescription");
        QVERIFY(description->heightForWidth(description->width()) <= description->height());
        bool closedByEnter = false;
        QTimer::singleShot(0, &about, [&] {
            QTest::keyClick(&about, Qt::Key_Return);
            closedByEnter = !about.isVisible();
        });
        about.exec();
        QVERIFY(closedByEnter);
    }

    // The buttons are ours, not the standard ones whose text follows the
    // system's language.
    void questionAnswersSimOrNao()
    {
        QtPrompts prompts(m_window.get());
        auto answerWith = [](const QString& button) {
            QTimer::singleShot(0, [button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->text(), QStringLiteral("Salvar os 3 registros lidos?"));
                QStringList texts;
                for (QAbstractButton* b : box->buttons())
                    texts << b->text();
                texts.sort();
                QCOMPARE(texts, (QStringList{"Não", "Sim"}));
                if (button == "Esc")
                    QTest::keyClick(box, Qt::Key_Escape);
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == button)
                        b->click();
            });
        };
        answerWith("Sim");
        QVERIFY(prompts.ask("Salvar os 3 registros lidos?", "LOG QVR"));
        answerWith(QStringLiteral("Não"));
        QVERIFY(!prompts.ask("Salvar os 3 registros lidos?", "LOG QVR"));
        answerWith("Esc");
        QVERIFY(!prompts.ask("Salvar os 3 registros lidos?", "LOG QVR"));
    }

    void escWhileIdleDoesNothing()
    {
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QCOMPARE(m_window->text(Control::lblRestante), std::string());
        QVERIFY(!m_window->values().cancelRequested);
    }

    void closingTheWindowStopsThePoll()
    {
        m_window->close();
        QVERIFY(!m_window->timer1().isActive());
        QVERIFY(m_prompts.shown.empty());
    }
};

QTEST_MAIN(FrmMainTest)
#include "frmmain_test.moc"
