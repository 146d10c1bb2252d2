// LOG_QVR.exe: the program starts with its main window and nothing else.
// kestrune.dll and the two templates lie beside it; the settings live in the
// registry under the executable's own base name.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/settingsstore.h"
#include "win32/widetext.h"
#include "winui/frmmain.h"
#include "winui/registrysettingsstore.h"
#include "winui/shellfolderpicker.h"
#include "winui/win32prompts.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace {

std::wstring executablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// "C:\Programas\LOG_QVR\LOG_QVR.exe" gives "LOG_QVR"; a renamed copy keeps
// settings of its own.
std::wstring baseName(const std::wstring& path)
{
    const std::wstring file = path.substr(path.find_last_of(L"\\/") + 1);
    const std::size_t dot = file.find_last_of(L'.');
    return dot == 0 || dot == std::wstring::npos ? file : file.substr(0, dot);
}

std::wstring folderOf(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    // The folder browser is a shell dialog, which wants COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const std::wstring exe = executablePath();
    winui::RegistrySettingsStore store(win32::narrow(baseName(exe)));
    winui::Win32Prompts prompts;
    winui::ShellFolderPicker folders;
    SystemClock clock;

    int exitCode = 1;
    {
        winui::FrmMain window(ControllerServices{dynamicKestrune(),
                                                 prompts,
                                                 store,
                                                 clock,
                                                 win32::narrow(folderOf(exe)),
                                                 [](int ms) { Sleep(static_cast<DWORD>(ms)); }},
                              folders);
        if (window.create(showCommand)) {
            prompts.setOwner(window.hwnd());
            folders.setOwner(window.hwnd());
            exitCode = window.run();
        }
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
