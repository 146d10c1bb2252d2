// What logqvr-report needs of its system: its arguments in UTF-8, text out,
// and the default browser.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

std::vector<std::string> commandArguments(int argc, char* argv[]);
void writeText(std::FILE* stream, const std::string& utf8);
// Hands the file to the desktop's opener; false when none could be started.
bool openInBrowser(const std::string& path);
