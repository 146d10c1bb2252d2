// Where the Windows program lies, as the system reports its executable,
// whatever the current folder: the folder of the templates and of the
// first-run output folder, and the name its settings live under.
#pragma once

#include <string>

namespace winui {

struct ProgramPlace {
    std::string folder; // UTF-8, without a trailing separator
    // The executable's base name: "C:\LOG_QVR\LOG_QVR.exe" gives "LOG_QVR",
    // so a renamed copy keeps settings of its own.
    std::string settingsName;
    std::string firstRunCaminho; // the folder and "\"
    // The user's own folder, %LOCALAPPDATA%\Quorvane\<settingsName>: the
    // reports of logs in folders the user may not write.
    std::string userFolder;
};

ProgramPlace programPlace();

} // namespace winui
