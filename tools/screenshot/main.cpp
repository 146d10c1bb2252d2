// logqvr-screenshot OUT.png [ABOUT.png] [--progress PROGRESS.png]: the main
// window, connected to a simulated device after one poll tick, drawn offscreen
// into a PNG; when asked, the About box too, and the window in the middle of a
// data-log download over a line as slow as 9600 baud, drawn from inside the
// download's own yield and then cancelled. For looking at the layout without
// a display.
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

// Boxes go to stderr: a screenshot run must never wait for a click.
class PrintedPrompts : public Prompts {
public:
    void show(const std::string& text, PromptIcon, const std::string& title) override
    {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
    }
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
    QString window, about, progress;
};

bool parseArguments(int argc, char* argv[], Pictures* out)
{
    QStringList positional;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--progress" && i + 1 < argc)
            out->progress = QString::fromLocal8Bit(argv[++i]);
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

} // namespace

int main(int argc, char* argv[])
{
    Pictures pictures;
    if (!parseArguments(argc, argv, &pictures)) {
        std::fprintf(stderr, "usage: %s OUT.png [ABOUT.png] [--progress PROGRESS.png]\n", argv[0]);
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
    FrmMain window(
        ControllerServices{lib, prompts, store, clock, program.path().toStdString(), [](int) {}},
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
    window.close();
    if (!saved) {
        std::fprintf(stderr, "cannot write the picture\n");
        return 1;
    }
    return 0;
}
