// LOG_QVR: the program starts with its main window and nothing else.
#include "connection/kestruneapi.h"
#include "connection/settingsstore.h"
#include "logexport/exportenv.h"
#include "ui/folderpicker.h"
#include "ui/frmmain.h"
#include "ui/qtprompts.h"

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
        FrmMainDeps{dynamicKestrune(),
                    prompts,
                    store,
                    folders,
                    clock,
                    QCoreApplication::applicationDirPath().toStdString(),
                    [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }});
    prompts.setOwner(&window);
    window.show();
    return app.exec();
}
