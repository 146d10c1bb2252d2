// LOG_QVR.exe: the program starts with its main window and nothing else.
// kestrune.dll and the two templates lie beside it; the settings live in the
// registry under the executable's own base name.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/settingsstore.h"
#include "form/reportmenu.h"
#include "winui/frmmain.h"
#include "winui/programplace.h"
#include "winui/registrysettingsstore.h"
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

    const winui::ProgramPlace place = winui::programPlace();
    winui::RegistrySettingsStore store(place.settingsName);
    winui::RegistrySettingsStore reportStore(place.settingsName, reportkey::kGroup);
    winui::Win32Prompts prompts;
    winui::ShellFolderPicker folders;
    winui::OpenLogPicker logPicker;
    winui::ShellReportBrowser browser;
    ReportMenu reportMenu(reportStore, prompts, browser, place.userFolder);
    SystemClock clock;

    int exitCode = 1;
    {
        winui::FrmMain window(ControllerServices{dynamicKestrune(),
                                                 prompts,
                                                 store,
                                                 clock,
                                                 place.folder,
                                                 [](int ms) { Sleep(static_cast<DWORD>(ms)); },
                                                 place.firstRunCaminho,
                                                 [&reportMenu](const std::string& path) {
                                                     reportMenu.fileWritten(path);
                                                 }},
                              folders);
        window.setReportMenu(reportMenu, logPicker);
        if (window.create(showCommand)) {
            prompts.setOwner(window.hwnd());
            folders.setOwner(window.hwnd());
            logPicker.setOwner(window.hwnd());
            exitCode = window.run();
        }
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
