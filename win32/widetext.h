// Text at the boundary with Windows: the program keeps UTF-8 everywhere,
// the wide (W) functions of Windows take and give UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

// Text that is not UTF-8 gives an empty string, which names no file: a
// replacement character could name someone else's.
std::wstring widen(std::string_view utf8);
// Unpaired surrogates (possible in Windows file names) become U+FFFD.
std::string narrow(std::wstring_view utf16);

// What the system says of a Win32 error code, as UTF-8, with the number:
// "The system cannot find the file specified. (2)".
std::string errorText(unsigned long code);

} // namespace win32
