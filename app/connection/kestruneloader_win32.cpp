#include "connection/kestruneloader.h"

#include "core/kestruneapi.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

HMODULE load(const std::string& libraryName)
{
    const std::wstring name = win32::widen(libraryName);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    if (name.find_first_of(L"\\/:") != std::wstring::npos)
        return LoadLibraryW(name.c_str());
    // A plain file name is looked for beside the executable, then in the
    // system's folders; never in the current folder or on PATH, where anybody
    // could have put a DLL of that name.
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
