// The command's system on Windows: the shell's open verb for the browser.
#include "open.h"

#include "win32/shellopen.h"

bool openInBrowser(const std::string& path)
{
    return win32::shellOpen(path);
}
