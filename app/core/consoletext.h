// What a command-line program needs of its system: its arguments in UTF-8,
// text out in UTF-8 whatever the stream is (a Windows console takes UTF-16),
// and whether a stream is a terminal someone watches.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

std::vector<std::string> commandArguments(int argc, char* argv[]);
void writeText(std::FILE* stream, const std::string& utf8);
// A terminal or console, not a pipe or a file.
bool isTerminal(std::FILE* stream);
