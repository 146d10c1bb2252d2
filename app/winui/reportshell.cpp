#include "winui/reportshell.h"

#include "win32/shellopen.h"
#include "win32/widetext.h"

#include <commdlg.h>

namespace winui {

std::optional<std::string> OpenLogPicker::chooseLog(const std::string& startFolder)
{
    // Two NULs end the filter list; embedded ones separate its entries.
    const std::wstring filter = win32::widen(kLogFilter) + std::wstring(L"\0*.mdb\0", 8);
    const std::wstring title = win32::widen(kMenuArquivo);
    const std::wstring folder = win32::widen(startFolder);
    std::wstring file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn))
        return std::nullopt;
    return win32::narrow(file.c_str());
}

bool ShellReportBrowser::show(const std::string& htmlPath)
{
    return win32::shellOpen(htmlPath);
}

} // namespace winui
