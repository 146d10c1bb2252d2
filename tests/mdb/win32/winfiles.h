// Scratch folders and whole files through the wide Win32 functions, for the
// Windows tests, the Linux build's files as Wine shows them, and the Jet
// number of an engine error.
#pragma once

#include "mdb/errors.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace wintest {

using Bytes = std::vector<uint8_t>;

// A Linux path as Wine shows it: drive Z: is the Linux root.
inline std::string fromLinux(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

// The number of the engine error `f` raises; 0 when it raises none.
inline int jetErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const mdb::Error& e) {
        return e.number();
    }
    return 0;
}

inline bool underWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline Bytes readFile(const std::string& path)
{
    HANDLE file = CreateFileW(win32::widen(path).c_str(),
                              GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr,
                              OPEN_EXISTING,
                              0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot read " + path);
    Bytes bytes;
    uint8_t buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    CloseHandle(file);
    return bytes;
}

inline void writeFile(const std::string& path, const Bytes& bytes)
{
    HANDLE file = CreateFileW(win32::widen(path).c_str(),
                              GENERIC_WRITE,
                              0,
                              nullptr,
                              CREATE_ALWAYS,
                              0,
                              nullptr);
    DWORD n = 0;
    const bool written =
        file != INVALID_HANDLE_VALUE &&
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!written || n != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

// The entries of a folder as the system spells them, sorted, without . and ..
inline std::vector<std::wstring> entries(const std::string& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((win32::widen(folder) + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Removes a folder and everything in it (no links followed).
inline void removeTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + name;
            const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                removeTree(path + L"\\");
            else if (isFolder)
                RemoveDirectoryW(path.c_str());
            else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// A fresh folder under the system's temporary folder; path() ends with '\'.
class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH)
            throw std::runtime_error("no temporary folder");
        // Process ids come back soon; a folder an earlier run could not
        // remove may hold the name.
        for (int attempt = 0;; ++attempt) {
            m_path = std::wstring(temp, length) + L"logqvr-" +
                     std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) +
                     L"\\";
            if (CreateDirectoryW(m_path.c_str(), nullptr))
                break;
            if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100)
                throw std::runtime_error("cannot make a temporary folder");
        }
    }
    ~TempFolder() { removeTree(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return win32::narrow(m_path); }
    std::string file(const std::string& name) const { return path() + name; }

private:
    std::wstring m_path;
};

} // namespace wintest
