#include "win32/shellopen.h"

#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

namespace win32 {

bool shellOpen(const std::string& utf8Path)
{
    const std::wstring wide = widen(utf8Path);
    // Above 32 is success, by the function's old contract.
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

} // namespace win32
