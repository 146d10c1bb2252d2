// On Windows the arguments come from the wide command line; a console takes
// UTF-16, a pipe or a file gets UTF-8.
#include "core/consoletext.h"

#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>
#include <shellapi.h>

namespace {

HANDLE consoleOf(std::FILE* stream)
{
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

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
    if (HANDLE console = consoleOf(stream)) {
        const std::wstring wide = win32::widen(utf8);
        DWORD written = 0;
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

bool isTerminal(std::FILE* stream)
{
    return consoleOf(stream) != nullptr;
}
