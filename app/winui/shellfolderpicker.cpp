#include "winui/shellfolderpicker.h"

#include "win32/widetext.h"

#include <shlobj.h>

namespace winui {

std::optional<std::string> ShellFolderPicker::chooseFolder(const std::string& title)
{
    const std::wstring caption = win32::widen(title);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW request{};
    request.hwndOwner = m_owner;
    request.pszDisplayName = displayName;
    request.lpszTitle = caption.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&request);
    if (item == nullptr)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(item, path);
    // The shell allocated the identifier; it is ours to free.
    CoTaskMemFree(item);
    if (!found)
        return std::string();
    return win32::narrow(path);
}

} // namespace winui
