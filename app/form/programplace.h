// Where the program lies, as the system reports its executable whatever the
// current folder, and the user's own folders it may fall back on: the name
// its settings live under, the folder of its templates, and where a program
// that may not write beside itself keeps its copies of them and sends the
// first download. Both Windows front ends and the command read it; the Qt
// window asks Qt the same questions.
#pragma once

#include <string>

struct ProgramPlace {
    std::string folder; // UTF-8, without a trailing separator
    // The executable's base name: "C:\LOG_QVR\LOG_QVR.exe" gives "LOG_QVR",
    // so a renamed copy keeps settings of its own.
    std::string settingsName;
};

ProgramPlace programPlace();

// Where the window keeps the user's copies of the templates: on Windows
// %LOCALAPPDATA%\LOG_QVR; on Linux $XDG_DATA_HOME/Quorvane/LOG_QVR
// (~/.local/share when unset), as Qt places them. Empty when the system
// cannot say.
std::string userTemplateFolder();
// The user's documents folder (on Linux the one the desktop's user-dirs.dirs
// names, in the user's language); empty when the system cannot say.
std::string documentsFolder();
