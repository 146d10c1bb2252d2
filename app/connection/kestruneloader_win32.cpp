#include "connection/kestruneloader.h"

#include "core/kestruneapi.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// The executable's folder with its trailing separator; empty when unknown.
std::wstring executableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut off: try a bigger buffer
    }
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// A plain file name is taken from beside the executable first, then from
// the system's folders, never from the current folder or PATH, where anybody
// could have put a DLL of that name.
HMODULE load(const std::string& libraryName)
{
    const std::wstring name = win32::widen(libraryName);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    if (name.find_first_of(L"\\/:") != std::wstring::npos)
        return LoadLibraryW(name.c_str());
    const std::wstring folder = executableFolder();
    if (!folder.empty()) {
        if (HMODULE module = LoadLibraryW((folder + name).c_str()))
            return module;
        // A DLL beside the program that fails to load is the one meant.
        if (GetLastError() != ERROR_MOD_NOT_FOUND)
            return nullptr;
    }
    return LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

} // namespace

namespace kestruneloader {

void* findExport(const std::string& libraryName, const char* exportName)
{
    HMODULE module = load(libraryName);
    if (module == nullptr)
        throw BindError("Cannot load the library " + libraryName + " for " + exportName + ": " +
                        win32::errorText(GetLastError()));
    FARPROC entry = GetProcAddress(module, exportName);
    if (entry == nullptr) {
        const std::string reason = win32::errorText(GetLastError());
        FreeLibrary(module);
        throw BindError("Export " + std::string(exportName) + " not found in " + libraryName +
                        ": " + reason);
    }
    return reinterpret_cast<void*>(entry);
}

} // namespace kestruneloader
