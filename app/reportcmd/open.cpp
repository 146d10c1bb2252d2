// The command's system on Linux: xdg-open hands a file to the desktop's browser.
#include "open.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

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
