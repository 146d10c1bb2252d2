// On Linux arguments and text are UTF-8 already.
#include "core/consoletext.h"

#include <unistd.h>

std::vector<std::string> commandArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void writeText(std::FILE* stream, const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

bool isTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) == 1;
}
