// LOG_QVR: the program starts with its main window and nothing else.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/prompts.h"
#include "core/settingsstore.h"
#include "form/reportmenu.h"
#include "logexport/templatefolder.h"
#include "ui/frmmain.h"
#include "ui/qtfolderpicker.h"
#include "ui/qtprompts.h"
#include "ui/qtreportmenu.h"
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
    const std::string settingsName =
        settingsNameOf(QCoreApplication::applicationFilePath().toStdString());
    QtSettingsStore store(settingsName);
    QtSettingsStore reportStore(settingsName, reportkey::kGroup);
    QtSettingsStore historyStore(settingsName, historykey::kGroup);
    QtPrompts prompts;
    QtFolderPicker folders;
    SystemClock clock;

    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
    // The user's own folder: copies of the templates, and the reports of
    // logs in folders the user may not write.
    const std::string userFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    const logexport::TemplatePlace templates = logexport::placeTemplates(programFolder, userFolder);
    QtReportBrowser browser;
    QtLogFilePicker logPicker;
    ReportMenu reportMenu(reportStore, prompts, browser, userFolder);
    // An installed program's folder is /usr/bin: no place for the user's files.
    const std::string firstRunCaminho = logexport::firstRunCaminho(
        templates,
        programFolder,
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString());

    FrmMain window(ControllerServices{
                       dynamicKestrune(),
                       prompts,
                       store,
                       clock,
                       templates.folder,
                       [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
                       firstRunCaminho,
                       [&reportMenu](const std::string& path) { reportMenu.fileWritten(path); },
                       &historyStore},
                   folders);
    window.setReportMenu(reportMenu, logPicker);
    prompts.setOwner(&window);
    logPicker.setOwner(&window);
    window.show();
    for (const std::string& warning : templates.warnings)
        prompts.show(warning, PromptIcon::Warning, kAppTitle);
    return app.exec();
}
