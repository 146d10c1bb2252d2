// Writing a finished file in one step: the bytes go to a temporary file in the
// same folder, which is then renamed over the name, so a failure (a full disk,
// a folder that may not be written) never leaves a half file or a stray
// temporary behind. Paths are UTF-8 on every system.
#pragma once

#include <string>
#include <string_view>

namespace report {

// Throws ReportError with the system's reason, in Portuguese where we give it.
void writeWholeFile(const std::string& path, std::string_view bytes);

// Creates the folder and its parents; false when it cannot.
bool makeFolders(const std::string& folder);

bool fileExists(const std::string& path);

} // namespace report
