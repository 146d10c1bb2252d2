// The command's system on Linux: arguments and text are UTF-8 already, and
// xdg-open hands a file to the desktop's browser.
#include "open.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

std::vector<std::string> commandArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void writeText(std::FILE* stream, const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

bool openInBrowser(const std::string& path)
{
    std::string program = "xdg-open";
    char* const argv[] = {program.data(), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    // xdg-open returns once the browser is started, or has failed.
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
