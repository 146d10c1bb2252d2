// LOG_QVR.exe: the program starts with its main window and nothing else.
// kestrune.dll and the two templates lie beside it, filled there when the
// folder may be written, else copied for each user; the settings live in the
// registry under the executable's own base name.
#include "connection/dynamickestrune.h"
#include "connection/registrysettingsstore.h"
#include "core/clock.h"
#include "core/prompts.h"
#include "core/settingsstore.h"
#include "form/programplace.h"
#include "form/reportmenu.h"
#include "logexport/templatefolder.h"
#include "winui/frmmain.h"
#include "winui/reportshell.h"
#include "winui/shellfolderpicker.h"
#include "winui/win32prompts.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    // The folder browser is a shell dialog, which wants COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const ProgramPlace place = programPlace();
    // Unzipped under C:\Program Files, or any folder the user may not write,
    // the program fills copies of its templates in the user's own folder, and
    // writes there the reports of logs in folders it may not write.
    const std::string userFolder = userTemplateFolder();
    const logexport::TemplatePlace templates = logexport::placeTemplates(place.folder, userFolder);
    const std::string firstRunCaminho =
        logexport::firstRunCaminho(templates, place.folder, documentsFolder());
    RegistrySettingsStore store(place.settingsName);
    RegistrySettingsStore reportStore(place.settingsName, reportkey::kGroup);
    RegistrySettingsStore historyStore(place.settingsName, historykey::kGroup);
    winui::Win32Prompts prompts;
    winui::ShellFolderPicker folders;
    winui::OpenLogPicker logPicker;
    winui::ShellReportBrowser browser;
    ReportMenu reportMenu(reportStore,
                          prompts,
                          browser,
                          userFolder.empty() ? place.folder : userFolder);
    SystemClock clock;

    int exitCode = 1;
    {
        winui::FrmMain window(ControllerServices{dynamicKestrune(),
                                                 prompts,
                                                 store,
                                                 clock,
                                                 templates.folder,
                                                 [](int ms) { Sleep(static_cast<DWORD>(ms)); },
                                                 firstRunCaminho,
                                                 [&reportMenu](const std::string& path) {
                                                     reportMenu.fileWritten(path);
                                                 },
                                                 &historyStore},
                              folders);
        window.setReportMenu(reportMenu, logPicker);
        if (window.create(showCommand)) {
            prompts.setOwner(window.hwnd());
            folders.setOwner(window.hwnd());
            logPicker.setOwner(window.hwnd());
            for (const std::string& warning : templates.warnings)
                prompts.show(warning, PromptIcon::Warning, kAppTitle);
            exitCode = window.run();
        }
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
