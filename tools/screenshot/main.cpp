// logqvr-screenshot OUT.png [ABOUT.png]: the main window, connected to a
// simulated device after one poll tick, drawn offscreen into a PNG; beside
// it OUT-portas.png with the "Portas" menu open and OUT-erro.png with the box
// a failed open shows; and, when asked, the About box too. For looking at
// the layout without a display.
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
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kPort = 5;
// /dev/ttyACM31
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

// "dir/name.png" -> "dir/name-<suffix>.png"
QString besides(const QString& out, const char* suffix)
{
    const QFileInfo info(out);
    return info.dir().filePath(info.completeBaseName() + "-" + suffix + ".png");
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

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.png [ABOUT.png]\n", argv[0]);
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
    device.withState([](sim::DeviceState& s) {
        s.logPointer = 1234;
        return 0;
    });

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
                                      QCoreApplication::applicationDirPath().toStdString(),
                                      [](int) {},
                                      QDir::homePath().toStdString() + "/"},
                   folders);
    window.show();
    window.findChild<QPushButton*>("cmdOK")->click();
    waitMs(700); // one poll tick writes the status lines

    const QString out = QString::fromLocal8Bit(argv[1]);
    bool saved = window.grab().save(out, "PNG");

    // Disconnected, after the tick that unlocks the port field, the ports
    // can be chosen; then a number whose device no machine has.
    window.findChild<QPushButton*>("cmdOK")->click();
    waitMs(700);
    saved = saved && withOpenMenu(window, "menu_portas").save(besides(out, "portas"), "PNG");
    window.setText(Control::txtCOM, std::to_string(kMissingPort));
    window.findChild<QPushButton*>("cmdOK")->click();
    saved = saved && withBox(window, prompts.last).save(besides(out, "erro"), "PNG");

    if (saved && argc == 3) {
        FrmAbout about(store, &window);
        about.show();
        waitMs(100);
        saved = about.grab().save(QString::fromLocal8Bit(argv[2]), "PNG");
        about.close();
    }
    window.close();
    if (!saved) {
        std::fprintf(stderr, "cannot write the picture\n");
        return 1;
    }
    return 0;
}
