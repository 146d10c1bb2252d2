// Where the Windows program lies, as the system reports its executable,
// whatever the current folder, and the user's own folders it may fall back
// on: the name its settings live under, the folder of its templates, and
// where a program that may not write beside itself keeps its copies of them
// and sends the first download.
#pragma once

#include <string>

namespace winui {

struct ProgramPlace {
    std::string folder; // UTF-8, without a trailing separator
    // The executable's base name: "C:\LOG_QVR\LOG_QVR.exe" gives "LOG_QVR",
    // so a renamed copy keeps settings of its own.
    std::string settingsName;
};

ProgramPlace programPlace();

// %LOCALAPPDATA%\LOG_QVR, where the user's copies of the templates go; empty
// when the system cannot say.
std::string userTemplateFolder();
// The user's Documents folder; empty when the system cannot say.
std::string documentsFolder();

} // namespace winui
