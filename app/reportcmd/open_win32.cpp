// The command's system on Windows: the arguments from the wide command line,
// text to a console as UTF-16 and to a pipe or file as UTF-8, and the shell's
// open verb for the browser.
#include "open.h"

#include "win32/shellopen.h"
#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>
#include <shellapi.h>

std::vector<std::string> commandArguments(int, char*[])
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(win32::narrow(wide[i]));
    LocalFree(wide);
    return args;
}

void writeText(std::FILE* stream, const std::string& utf8)
{
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        const std::wstring wide = win32::widen(utf8);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

bool openInBrowser(const std::string& path)
{
    return win32::shellOpen(path);
}
