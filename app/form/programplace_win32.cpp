#include "form/programplace.h"

#include "core/pathseparator.h"
#include "core/settingsstore.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

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

// A folder of the user's profile as the shell knows it (moved, redirected to
// a server, or renamed in the user's language), without a trailing separator.
std::string knownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = win32::narrow(path);
    CoTaskMemFree(path);
    return folder;
}

} // namespace

ProgramPlace programPlace()
{
    const std::wstring path = executablePath();
    const std::size_t separator = path.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator);
    const std::wstring file = path.substr(separator + 1);
    // A name that is all extension (".exe") is kept whole.
    const std::size_t dot = file.find_last_of(L'.');
    const std::wstring base = dot == 0 || dot == std::wstring::npos ? file : file.substr(0, dot);
    ProgramPlace place;
    place.folder = win32::narrow(folder);
    place.settingsName = win32::narrow(base);
    return place;
}

std::string userTemplateFolder()
{
    const std::string local = knownFolder(FOLDERID_LocalAppData);
    return local.empty() ? local : local + kPathSeparator + kProgramName;
}

std::string documentsFolder()
{
    return knownFolder(FOLDERID_Documents);
}
