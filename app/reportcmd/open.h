// What logqvr-report needs of its system beside its text (core/consoletext.h):
// the default browser.
#pragma once

#include <string>

// Hands the file to the desktop's opener; false when none could be started.
bool openInBrowser(const std::string& path);
