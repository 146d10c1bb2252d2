// LOG_QVR: the program starts with its main window and nothing else.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/settingsstore.h"
#include "ui/frmmain.h"
#include "ui/qtfolderpicker.h"
#include "ui/qtprompts.h"
#include "ui/qtsettingsstore.h"

#include <QApplication>

#include <chrono>
#include <thread>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The settings live under the executable's own base name, so a renamed
    // copy of the program keeps settings of its own.
    QtSettingsStore store(settingsNameOf(QCoreApplication::applicationFilePath().toStdString()));
    QtPrompts prompts;
    QtFolderPicker folders;
    SystemClock clock;

    FrmMain window(
        ControllerServices{
            dynamicKestrune(),
            prompts,
            store,
            clock,
            QCoreApplication::applicationDirPath().toStdString(),
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }},
        folders);
    prompts.setOwner(&window);
    window.show();
    return app.exec();
}
