// The folder separator of the system the program runs on. The first-run
// output folder, the templates' paths and the folder the browser returns are
// built with it; the downloads append their file names to the folder field
// as it stands, so the field ends with it.
#pragma once

#ifdef _WIN32
#define LOGQVR_PATH_SEPARATOR "\\"
#else
#define LOGQVR_PATH_SEPARATOR "/"
#endif

inline constexpr char kPathSeparator = LOGQVR_PATH_SEPARATOR[0];
