#include "ui/frmmain.h"

#include "connection/serialports.h"
#include "core/formlayout.h"
#include "ui/frmabout.h"
#include "ui/textbox.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>

#include <utility>

namespace {

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The character code a key press delivers to a text box, 0 for keys that
// deliver none (arrows, Delete, Tab, function keys). Ctrl+letter delivers its
// control code (Ctrl+C = 3, Ctrl+V = 22, Ctrl+X = 24) even where the platform
// reports the plain letter as the key's text.
char16_t characterCode(const QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return 0;
    if (isEnter(event))
        return kEnterKey;
    if (key == Qt::Key_Backspace)
        return kBackspaceKey;
    if ((event->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<char16_t>(key - Qt::Key_A + 1);
    const QString text = event->text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

} // namespace

FrmMain::FrmMain(ControllerServices services, FolderPicker& folders, QWidget* parent)
    : QMainWindow(parent,
                  Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_services(std::move(services))
{
    setObjectName("frmMain");
    buildControls();
    buildMenu();
    setTabOrder();

    m_events = std::make_unique<FormEvents>(m_services, *this, folders, [this] { close(); });
    connectEvents();
    applyInputRules();

    // Fixed size: the window has no maximise button and is not resizable.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_timer1.setObjectName("Timer1");
    m_timer1.setInterval(kTimer1IntervalMs);
    m_timer1.start();

    // Load begins by selecting txtCOM's design text; the stored texts written
    // after it replace that selection, so no field starts highlighted.
    m_txtCOM->selectAllFromStart();
    m_events->Form_Load();
}

FrmMain::~FrmMain() = default;

void FrmMain::connectEvents()
{
    for (const ControlDesign& design : frmMainControls()) {
        if (design.kind != ControlKind::Button || !design.id)
            continue;
        auto* button = static_cast<QAbstractButton*>(m_controls.at(*design.id));
        connect(button, &QAbstractButton::clicked, this, [this, c = *design.id] {
            m_events->click(c);
        });
        // Enter on a focused button presses it, as Space does.
        button->installEventFilter(this);
    }
    // Esc anywhere in the window.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setObjectName("escCancelar");
    connect(esc, &QShortcut::activated, this, [this] { m_events->escape(); });
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_events->Timer1_Timer(); });
}

void FrmMain::applyInputRules()
{
    for (const ControlDesign& design : frmMainControls()) {
        if (design.kind != ControlKind::TextBox || !design.id)
            continue;
        const Control c = *design.id;
        auto* box = static_cast<TextBox*>(m_controls.at(c));
        box->keyHook = [this, c](QKeyEvent* e) { return m_events->keyPress(c, characterCode(e)); };
        box->setSelectAllOnFocus(design.selectAllOnFocus);
        box->setSelectAllOnClick(design.selectAllOnClick);
        connect(box, &QLineEdit::textChanged, this, [this, c] { m_events->textChanged(c); });
    }
}

void FrmMain::setReportMenu(ReportMenu& menu, LogFilePicker& picker)
{
    m_reportMenu = &menu;
    m_logPicker = &picker;
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !isEnter(static_cast<QKeyEvent*>(event)))
        return QMainWindow::eventFilter(watched, event);
    for (const auto& [c, w] : m_controls) {
        if (w == watched) {
            m_events->enter(c);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::menu_sobre_Click()
{
    FrmAbout about(m_services.store, this);
    about.exec();
}

void FrmMain::fillPortsMenu()
{
    m_menuPortas->clear();
    const std::vector<PortEntry> entries =
        listPorts(scanSerialDevices(sysfsRoot()), libraryMapping(m_services.lib));
    if (entries.empty())
        m_menuPortas->addAction(QString::fromUtf8(kNoPortsEntry))->setEnabled(false);
    for (const PortEntry& entry : entries) {
        QAction* action = m_menuPortas->addAction(QString::fromStdString(describePort(entry)));
        // While connected or downloading the list only informs.
        action->setEnabled(entry.port && m_events->portChoiceOpen());
        if (entry.port)
            connect(action, &QAction::triggered, this, [this, port = *entry.port] {
                m_events->portChosen(port);
            });
    }
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    // A download runs (or a box is open) below: the window closes once it
    // has returned.
    if (!m_events->requestClose()) {
        event->ignore();
        return;
    }
    m_timer1.stop();
    m_events->Form_Unload();
    QMainWindow::closeEvent(event);
}

QWidget* FrmMain::control(Control c) const
{
    auto it = m_controls.find(c);
    return it == m_controls.end() ? nullptr : it->second;
}

std::string FrmMain::text(Control c) const
{
    const QWidget* w = control(c);
    QString t;
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        t = edit->text();
    else if (const auto* combo = qobject_cast<const QComboBox*>(w))
        t = combo->currentText();
    else if (const auto* lbl = qobject_cast<const QLabel*>(w))
        t = lbl->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        t = button->text();
    return t.toStdString();
}

void FrmMain::setText(Control c, const std::string& utf8)
{
    QWidget* w = control(c);
    const QString t = QString::fromStdString(utf8);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(t);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setEditText(t);
    else if (auto* lbl = qobject_cast<QLabel*>(w))
        lbl->setText(t);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(t);
}

bool FrmMain::isEnabled(Control c) const
{
    if (c == Control::Timer1)
        return m_timer1.isActive();
    const QWidget* w = control(c);
    return w && w->isEnabled();
}

void FrmMain::setEnabled(Control c, bool enabled)
{
    if (c == Control::Timer1) {
        if (enabled)
            m_timer1.start();
        else
            m_timer1.stop();
        return;
    }
    if (QWidget* w = control(c))
        w->setEnabled(enabled);
}

bool FrmMain::isChecked(Control c) const
{
    const auto* option = qobject_cast<const QRadioButton*>(control(c));
    return option && option->isChecked();
}

void FrmMain::setChecked(Control c, bool checked)
{
    auto* option = qobject_cast<QRadioButton*>(control(c));
    if (!option)
        return;
    // An exclusive group refuses to clear its checked button; open it meanwhile.
    QButtonGroup* group = option->group();
    if (!checked && option->isChecked() && group) {
        group->setExclusive(false);
        option->setChecked(false);
        group->setExclusive(true);
        return;
    }
    option->setChecked(checked);
}

int FrmMain::listIndex(Control c) const
{
    const auto* combo = qobject_cast<const QComboBox*>(control(c));
    if (!combo)
        return -1;
    // A typed text selects no entry, even if an entry was picked before.
    const int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != combo->currentText())
        return -1;
    return index;
}

void FrmMain::setListIndex(Control c, int index)
{
    auto* combo = qobject_cast<QComboBox*>(control(c));
    if (!combo)
        return;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    if (combo->currentIndex() < 0)
        combo->clearEditText();
}

void FrmMain::setValue(Control c, int percent)
{
    if (auto* bar = qobject_cast<QProgressBar*>(control(c)))
        bar->setValue(percent);
}

void FrmMain::setTitle(const std::string& utf8)
{
    setWindowTitle(QString::fromStdString(utf8));
}

int FrmMain::topTwips() const
{
    return frameGeometry().top() * kTwipsPerPixel;
}

int FrmMain::leftTwips() const
{
    return frameGeometry().left() * kTwipsPerPixel;
}

void FrmMain::processEvents()
{
    QCoreApplication::processEvents();
}
