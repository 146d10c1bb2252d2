// logqvr-screenshot OUT.png [ABOUT.png] [--progress PROGRESS.png]
//                   [--portas PORTAS.png] [--erro ERRO.png]:
// the main window, connected to a simulated device after one poll tick, drawn
// offscreen into a PNG; when asked, the About box too, the window in the
// middle of a data-log download over a line as slow as 9600 baud, drawn from
// inside the download's own yield and then cancelled, the window disconnected
// with the "Portas" menu open, and the box a failed open shows with its
// reason. For looking at the layout without a display.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/folderpicker.h"
#include "core/prompts.h"
#include "core/settingsstore.h"
#include "simulator.h"
#include "ui/frmabout.h"
#include "ui/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kPort = 5;
// One byte of 8 data bits, two stop bits and a start bit at 9600 baud.
constexpr int kByteAt9600Us = 1146;
constexpr int kProgressRecords = 100;
constexpr int kProgressPercent = 35;
// /dev/ttyACM31, which no machine has.
constexpr int kMissingPort = 96;

// Boxes go to stderr: a screenshot run must never wait for a click. The
// last one is kept, to be drawn.
class PrintedPrompts : public Prompts {
public:
    void show(const std::string& text, PromptIcon icon, const std::string& title) override
    {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        last = {text, icon, title};
    }
    struct Shown {
        std::string text;
        PromptIcon icon = PromptIcon::Information;
        std::string title;
    } last;
    bool ask(const std::string& text, const std::string& title) override
    {
        std::fprintf(stderr, "[%s] %s Não\n", title.c_str(), text.c_str());
        return false;
    }
};

class NoFolders : public FolderPicker {
public:
    std::optional<std::string> chooseFolder(const std::string&) override { return std::nullopt; }
};

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Pictures {
    QString window, about, progress, portas, erro;
};

bool parseArguments(int argc, char* argv[], Pictures* out)
{
    QStringList positional;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--progress" && i + 1 < argc)
            out->progress = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--portas" && i + 1 < argc)
            out->portas = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--erro" && i + 1 < argc)
            out->erro = QString::fromLocal8Bit(argv[++i]);
        else if (arg.startsWith("--"))
            return false;
        else
            positional << arg;
    }
    if (positional.isEmpty() || positional.size() > 2)
        return false;
    out->window = positional[0];
    out->about = positional.value(1);
    return true;
}

// Starts the last kProgressRecords records over the slowed line and, once the
// bar has passed kProgressPercent and the time left shows, grabs the window
// and presses "Cancelar"; the question that follows is answered "Não".
bool drawDownload(FrmMain& window, sim::Simulator& device, const QString& file)
{
    sim::Faults line;
    line.byteDelayUs = kByteAt9600Us;
    device.setFaults(line);
    window.setText(Control::txtUltimos, std::to_string(kProgressRecords));
    auto* bar = window.findChild<QProgressBar*>("prgProgresso");
    bool saved = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (bar->value() < kProgressPercent || window.text(Control::lblRestante).rfind("Restam", 0))
            return;
        watch.stop();
        saved = window.grab().save(file, "PNG");
        window.findChild<QPushButton*>("cmdCancelar")->click();
    });
    watch.start(50);
    window.findChild<QPushButton*>("cmdGerar")->click();
    return saved;
}

// A popup is a window of its own, which grabbing the main window leaves
// out: draw it where it opens, under its entry in the menu bar.
QImage withOpenMenu(QMainWindow& window, const char* menuName)
{
    auto* menu = window.findChild<QMenu*>(menuName);
    const QRect entry = window.menuBar()->actionGeometry(menu->menuAction());
    const QPoint at = window.menuBar()->mapTo(&window, entry.bottomLeft());
    menu->popup(window.mapToGlobal(at));
    waitMs(100);
    QImage picture = window.grab().toImage();
    QPainter(&picture).drawPixmap(at, menu->grab());
    menu->hide();
    return picture;
}

// The box as the program shows it, over the window it belongs to.
QImage withBox(QMainWindow& window, const PrintedPrompts::Shown& shown)
{
    QMessageBox box(shown.icon == PromptIcon::Warning ? QMessageBox::Warning
                                                      : QMessageBox::Information,
                    QString::fromStdString(shown.title),
                    QString::fromStdString(shown.text),
                    QMessageBox::Ok,
                    &window);
    box.show();
    waitMs(100);
    QImage picture = window.grab().toImage();
    const QPixmap boxPicture = box.grab();
    QPainter(&picture).drawPixmap(picture.rect().center() - boxPicture.rect().center(), boxPicture);
    box.close();
    return picture;
}

// Disconnected, after the tick that unlocks the port field, the ports can be
// chosen; then a number whose device no machine has.
bool drawPorts(FrmMain& window, PrintedPrompts& prompts, const Pictures& pictures)
{
    if (window.values().PortaAberta)
        window.findChild<QPushButton*>("cmdOK")->click();
    waitMs(700);
    if (!pictures.portas.isEmpty() &&
        !withOpenMenu(window, "menu_portas").save(pictures.portas, "PNG"))
        return false;
    if (pictures.erro.isEmpty())
        return true;
    window.setText(Control::txtCOM, std::to_string(kMissingPort));
    window.findChild<QPushButton*>("cmdOK")->click();
    return withBox(window, prompts.last).save(pictures.erro, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    Pictures pictures;
    if (!parseArguments(argc, argv, &pictures)) {
        std::fprintf(stderr,
                     "usage: %s OUT.png [ABOUT.png] [--progress PROGRESS.png]\n"
                     "       [--portas PORTAS.png] [--erro ERRO.png]\n",
                     argv[0]);
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    QTemporaryDir ports;
    if (!ports.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    ::setenv("KESTRUNE_PORTS", ports.path().toLocal8Bit().constData(), 1);
    sim::Simulator device;
    std::string error;
    if (!device.start(&error) || !device.linkAsPort(ports.path().toStdString(), kPort, &error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    device.withState([](sim::DeviceState& s) { s.fillDataLog(1234); });

    // The download fills a template in place: give it copies.
    QTemporaryDir program;
    for (const char* name : {"LOG_QVR.mdb", "LOG_RESET_QVR.mdb"})
        QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                    program.filePath(QString::fromLatin1(name)));

    MemorySettingsStore store;
    store.setValue(settingskey::kCom, std::to_string(kPort));
    store.setValue(settingskey::kTimeout, "200");
    store.setValue(settingskey::kRetries, "3");
    store.setValue(settingskey::kCaminho, QDir::homePath().toStdString() + "/Logs/");
    DynamicKestrune lib;
    PrintedPrompts prompts;
    NoFolders folders;
    SystemClock clock;
    FrmMain window(ControllerServices{lib,
                                      prompts,
                                      store,
                                      clock,
                                      program.path().toStdString(),
                                      [](int) {},
                                      QDir::homePath().toStdString() + "/"},
                   folders);
    window.show();
    window.findChild<QPushButton*>("cmdOK")->click();
    waitMs(700); // one poll tick writes the status lines

    bool saved = window.grab().save(pictures.window, "PNG");
    if (saved && !pictures.about.isEmpty()) {
        FrmAbout about(store, &window);
        about.show();
        waitMs(100);
        saved = about.grab().save(pictures.about, "PNG");
        about.close();
    }
    if (saved && !pictures.progress.isEmpty())
        saved = drawDownload(window, device, pictures.progress);
    if (saved && (!pictures.portas.isEmpty() || !pictures.erro.isEmpty()))
        saved = drawPorts(window, prompts, pictures);
    window.close();
    if (!saved) {
        std::fprintf(stderr, "cannot write the picture\n");
        return 1;
    }
    return 0;
}
