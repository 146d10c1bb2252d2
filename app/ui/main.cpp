// LOG_QVR: the program starts with its main window and nothing else.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/prompts.h"
#include "core/settingsstore.h"
#include "logexport/templatefolder.h"
#include "ui/frmmain.h"
#include "ui/qtfolderpicker.h"
#include "ui/qtprompts.h"
#include "ui/qtsettingsstore.h"

#include <QApplication>
#include <QStandardPaths>

#include <chrono>
#include <thread>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganization));
    // The settings live under the executable's own base name, so a renamed
    // copy of the program keeps settings of its own.
    QtSettingsStore store(settingsNameOf(QCoreApplication::applicationFilePath().toStdString()));
    QtPrompts prompts;
    QtFolderPicker folders;
    SystemClock clock;

    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    const logexport::TemplatePlace templates = logexport::placeTemplates(
        programFolder,
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
    // An installed program's folder is /usr/bin: no place for the user's files.
    const std::string firstRunCaminho = logexport::firstRunCaminho(
        templates,
        programFolder,
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString());

    FrmMain window(
        ControllerServices{
            dynamicKestrune(),
            prompts,
            store,
            clock,
            templates.folder,
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
            firstRunCaminho},
        folders);
    prompts.setOwner(&window);
    window.show();
    for (const std::string& warning : templates.warnings)
        prompts.show(warning, PromptIcon::Warning, kAppTitle);
    return app.exec();
}
